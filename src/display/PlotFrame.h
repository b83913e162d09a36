// One paint of a spectrum plot worked out without pixels drawn: per pixel column the height and ROI
// state (filled histogram), per channel its point, the labels, style and colours, and the highest
// unclamped y for the auto scale. The widget paints a frame; it reads nothing else of the plot.
// With a background the frame also holds the overlay line, or the columns hold the net counts
// (measurement - scaled background, a channel below zero drawn on the base line), and the caption.
#pragma once

#include <cstdint>
#include <vector>

#include "display/PlotBackground.h"
#include "display/PlotGeometry.h"
#include "display/SpectrumPlot.h"

namespace mirvo {

struct PlotColumn {
  int y = 0;         // top of the column (bottom when empty), clamped into [top, bottom]
  bool roi = false;  // drawn in the ROI colour
  bool operator==(const PlotColumn&) const = default;
};

struct PlotPoint {
  int x = 0;  // x(ch), clamped into [left, right]
  int y = 0;  // clamped into [top, bottom]
  bool roi = false;
};

struct PlotFrame {
  PlotGeometry geometry;
  int first = 0;
  int viewWidth = 0;                // N of the view drawn
  int drawStyle = 1;                // 0 points, 1 filled histogram, 2 outline, 3 line
  PlotColours colours;
  PlotLabels labels;
  std::vector<PlotColumn> columns;  // pixel columns left .. right
  std::vector<PlotPoint> points;    // channels first .. last
  std::int64_t highestY = 0;        // smallest unclamped y, starting from bottom
  std::vector<PlotPoint> overlay;   // the scaled background, channels first .. last (overlay view only)
  std::string viewCaption;          // which view the plot shows; empty without a background
};

// Works out the frame of the plot's current view for a client rectangle. Where several channels
// share a column the highest point wins, with its ROI state.
void BuildPlotFrame(const SpectrumPlot& plot, const ClientRect& client, PlotFrame& frame,
                    const PlotBackground* background = nullptr);
// The count a channel is drawn with: its soft count, or in the net view the measurement less the
// scaled background rounded to the nearest count, 0 when the background is higher.
std::uint32_t DrawnCount(const SpectrumPlot& plot, int channel, const PlotBackground* background);

// One paint's model step, taken before anything is drawn: the soft spectrum is rebuilt from the hard
// counts, the view is fixed (FitView mode 100), the frame is worked out for the client rectangle,
// and then the automatic scale looks at that frame; a changed scale asks for a partial redraw and
// shows in the next frame. Returns false for an empty client area: the soft spectrum and the view
// are updated all the same, but there is no frame to draw and the scale stays.
bool PrepareFrame(SpectrumPlot& plot, const ClientRect& client, PlotFrame& frame,
                  const PlotBackground* background = nullptr);

// The last drawn state of every pixel column, so that a partial redraw repaints only the columns
// whose height or ROI state changed.
class PlotColumnBook {
 public:
  // Compares a frame with what was drawn and records it. Returns the indexes (x - left) of the
  // columns to repaint: all of them when full is set or the geometry changed.
  const std::vector<int>& Update(const PlotFrame& frame, bool full);
  const std::vector<PlotColumn>& Drawn() const { return drawn_; }

 private:
  std::vector<PlotColumn> drawn_;
  std::vector<int> changed_;
  int left_ = 0;
  int top_ = 0;
  int bottom_ = 0;
};

// Remembers the label texts last written, so that labels are rewritten only when the view or the
// scale changed.
class PlotLabelBook {
 public:
  // True when the bottom labels must be rewritten (and records them).
  bool BottomChanged(const PlotLabels& labels, bool full);
  // True when the scale label must be rewritten (and records it).
  bool ScaleChanged(const PlotLabels& labels, bool full);

 private:
  PlotLabels written_;
  bool hasBottom_ = false;
  bool hasScale_ = false;
};

}  // namespace mirvo
