// Paints a prepared plot frame (PrepareFrame) into a cached image: everything on a full redraw, only
// the pixel columns whose height or ROI state changed on a partial one; the cursor is an overlay drawn
// over the cache. It reads the frame only: the plot's model is left as it is.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRegion>
#include <vector>

#include "display/PlotFrame.h"

class QPainter;

namespace mirvo {

// A plot colour (RGB with red in the low byte) as a QColor, and back.
QColor ToQColor(std::uint32_t rgb);
std::uint32_t FromQColor(const QColor& colour);

// The bold 16-pixel "Arial" label font.
QFont PlotLabelFont();

class SpectrumPainter {
 public:
  // Renders a frame prepared for a client area of `size`. Returns the part of the image that changed.
  QRegion Render(const PlotFrame& frame, QSize size, qreal devicePixelRatio, bool full);
  bool Valid(QSize size) const { return valid_ && renderedSize_ == size; }
  void Invalidate() { valid_ = false; }

  const QPixmap& Image() const { return image_; }
  const PlotGeometry& Geometry() const { return geometry_; }
  // The client rectangle of the cursor line for a cursor channel in the rendered view.
  QRect CursorRect(int cursorChannel) const;
  // Draws the image (clipped by the painter) and the cursor line over it.
  void PaintTo(QPainter& painter, int cursorChannel, std::uint32_t cursorColour) const;

 private:
  void PaintBackgroundAndAxes(QPainter& p);
  void PaintBottomLabels(QPainter& p, const PlotLabels& labels, QRegion& dirty);
  void PaintScaleLabel(QPainter& p, const PlotLabels& labels, QRegion& dirty);
  void PaintColumns(QPainter& p, const std::vector<PlotColumn>& columns, const std::vector<int>& changed, bool outline,
                    QRegion& dirty);
  void PaintPoints(QPainter& p, const std::vector<PlotPoint>& points, bool full, QRegion& dirty);
  void PaintPointRun(QPainter& p, const std::vector<PlotPoint>& points, int fromX, int toX);
  // The background overlay line and the caption naming the view.
  void PaintBackgroundView(QPainter& p, const PlotFrame& frame, const QColor& colour);
  QRect PlotRect() const;

  QPixmap image_;
  QSize renderedSize_;
  qreal renderedRatio_ = 0.0;
  bool valid_ = false;
  PlotGeometry geometry_;
  PlotColumnBook columns_;
  PlotLabelBook labels_;
  std::vector<PlotPoint> drawnPoints_;
  int drawnFirst_ = -1;
  int drawnWidth_ = -1;
  int drawnStyle_ = -1;
  PlotColours drawnColours_;
  bool drawnDecorated_ = false;
  int style_ = 1;
  QColor spectrum_;
  QColor roi_;
  QColor background_;
  QFont font_;
};

}  // namespace mirvo
