// The spectrum plot control: paints one SpectrumPlot (cached image, cursor overlay, scroll bars)
// and forwards every mouse, wheel, keyboard, scroll-bar and focus event to it.
#pragma once

#include <QAbstractScrollArea>
#include <functional>

#include "display/SpectrumPlot.h"
#include "display/gui/SpectrumPainter.h"

namespace mirvo {

class CSpectrum final : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit CSpectrum(SpectrumPlot& plot, QWidget* parent = nullptr);

  SpectrumPlot& Plot() { return plot_; }
  const SpectrumPainter& Painter() const { return painter_; }

  // Repaints what the plot's redraw bookkeeping asks for, and at least `least` (the timer asks for a
  // partial redraw, so a growing spectrum shows its latest counts). Does nothing while hidden.
  void Redraw(RedrawKind least = RedrawKind::None);
  // Sets the four colours and redraws in full (ADJUST COLORS, the settings store).
  void SetColours(const PlotColours& colours);
  // Where the plot's background view comes from (the record sets' background); none: no background.
  using BackgroundSource = std::function<PlotBackground(const SpectrumPlot&)>;
  void SetBackgroundSource(BackgroundSource source) { backgroundSource_ = std::move(source); }
  // The part of the control the last Redraw repainted, in client coordinates.
  const QRegion& LastRepaint() const { return lastRepaint_; }

  QSize sizeHint() const override { return {720, 300}; }
  QSize minimumSizeHint() const override { return {240, 110}; }

 signals:
  // The plot gained the input focus and is now the active plot of its spectrum.
  void Activated(int spectrum, bool isBuffer);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  PlotGeometry CurrentGeometry() const;
  // Prepares the plot's frame for the viewport (the model's share of a paint) and renders it.
  QRegion RenderFrame(QSize size, bool full);
  int ChannelAt(const QMouseEvent* event) const;
  void OnHorizontalAction(int action);
  void OnVerticalAction(int action);
  void SyncScrollBars();
  void UpdateCursorLine();

  SpectrumPlot& plot_;
  PlotFrame frame_;
  SpectrumPainter painter_;
  QRegion lastRepaint_;
  QRect cursorRect_;
  int wheelDelta_ = 0;
  BackgroundSource backgroundSource_;
};

}  // namespace mirvo
