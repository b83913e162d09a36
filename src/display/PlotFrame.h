// One paint of a spectrum plot worked out without pixels drawn: per pixel column the height and ROI
// state (filled histogram), per channel its point, and the highest unclamped y for the auto scale.
#pragma once

#include <cstdint>
#include <vector>

#include "display/PlotGeometry.h"

namespace mirvo {

class SpectrumPlot;

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
  std::vector<PlotColumn> columns;  // pixel columns left .. right
  std::vector<PlotPoint> points;    // channels first .. last
  std::int64_t highestY = 0;        // smallest unclamped y, starting from bottom
};

// Works out the frame of the plot's current view for a client rectangle. Where several channels
// share a column the highest point wins, with its ROI state.
void BuildPlotFrame(const SpectrumPlot& plot, const ClientRect& client, PlotFrame& frame);

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
