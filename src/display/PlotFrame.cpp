#include "display/PlotFrame.h"

#include <algorithm>

#include "display/SpectrumPlot.h"

namespace mirvo {

void BuildPlotFrame(const CSpectrumPlot& plot, const ClientRect& client, PlotFrame& frame) {
  const int first = plot.First();
  const int last = plot.Last();
  const int n = plot.ViewWidth();
  const PlotGeometry g = PlotGeometry::From(client, n);
  frame.geometry = g;
  frame.first = first;
  const int columnCount = std::max(g.right - g.left + 1, 0);
  frame.columns.assign(static_cast<std::size_t>(columnCount), PlotColumn{g.bottom, false});
  std::vector<bool> touched(static_cast<std::size_t>(columnCount), false);
  frame.points.clear();
  frame.highestY = g.bottom;
  const int scaleHeight = g.ScaleHeight();
  const bool linear = plot.Linear();
  const int s = plot.LinearScale();
  const int p = plot.LogRange();
  int previousColumn = g.ColumnOf(first - 1, first, n);
  for (int ch = first; ch <= last; ++ch) {
    const std::uint32_t count = plot.SoftCount(ch);
    const std::int64_t h = linear ? LinearHeight(count, s, scaleHeight) : LogHeight(count, p, scaleHeight);
    const std::int64_t y = g.bottom - h;
    frame.highestY = std::min(frame.highestY, y);
    const int clampedY = static_cast<int>(std::clamp<std::int64_t>(y, g.top, std::max(g.top, g.bottom)));
    const bool roi = plot.SoftRoi(ch);
    const int x = std::clamp(g.ChannelToX(ch, first, n), g.left, std::max(g.left, g.right));
    frame.points.push_back(PlotPoint{x, clampedY, roi});

    const int column = g.ColumnOf(ch, first, n);
    const int from = column > previousColumn ? previousColumn + 1 : column;
    previousColumn = column;
    for (int cx = std::max(from, g.left); cx <= std::min(column, g.right); ++cx) {
      const auto index = static_cast<std::size_t>(cx - g.left);
      PlotColumn& target = frame.columns[index];
      if (!touched[index] || clampedY < target.y) target = PlotColumn{clampedY, roi};
      touched[index] = true;
    }
  }
}

const std::vector<int>& CPlotColumnBook::Update(const PlotFrame& frame, bool full) {
  const PlotGeometry& g = frame.geometry;
  const bool reshaped = drawn_.size() != frame.columns.size() || left_ != g.left || top_ != g.top || bottom_ != g.bottom;
  changed_.clear();
  for (std::size_t i = 0; i < frame.columns.size(); ++i)
    if (full || reshaped || !(drawn_[i] == frame.columns[i])) changed_.push_back(static_cast<int>(i));
  drawn_ = frame.columns;
  left_ = g.left;
  top_ = g.top;
  bottom_ = g.bottom;
  return changed_;
}

bool CPlotLabelBook::BottomChanged(const PlotLabels& labels, bool full) {
  const bool changed = full || !hasBottom_ || labels.firstText != written_.firstText ||
                       labels.middleText != written_.middleText || labels.lastText != written_.lastText;
  written_.firstText = labels.firstText;
  written_.middleText = labels.middleText;
  written_.lastText = labels.lastText;
  hasBottom_ = true;
  return changed;
}

bool CPlotLabelBook::ScaleChanged(const PlotLabels& labels, bool full) {
  const bool changed = full || !hasScale_ || labels.scaleText != written_.scaleText;
  written_.scaleText = labels.scaleText;
  written_.scaleIsLog = labels.scaleIsLog;
  hasScale_ = true;
  return changed;
}

}  // namespace mirvo
