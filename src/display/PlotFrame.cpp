#include "display/PlotFrame.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "display/SpectrumPlot.h"

namespace mirvo {

namespace {

std::uint32_t RoundedCount(double value) {
  if (!(value > 0.0)) return 0;
  if (value >= 4294967295.0) return std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(std::llround(value));
}

double ScaledAt(const ScaledBackground& scaled, int channel) {
  return channel >= 0 && static_cast<std::size_t>(channel) < scaled.counts.size() ? scaled.Scaled(channel) : 0.0;
}

}  // namespace

std::uint32_t DrawnCount(const SpectrumPlot& plot, int channel, const PlotBackground* background) {
  const std::uint32_t count = plot.SoftCount(channel);
  if (background == nullptr || !background->net || !background->scaled) return count;
  return RoundedCount(static_cast<double>(count) - ScaledAt(*background->scaled, channel));
}

void BuildPlotFrame(const SpectrumPlot& plot, const ClientRect& client, PlotFrame& frame,
                    const PlotBackground* background) {
  const int first = plot.First();
  const int last = plot.Last();
  const int n = plot.ViewWidth();
  const PlotGeometry g = PlotGeometry::From(client, n);
  frame.geometry = g;
  frame.first = first;
  frame.viewWidth = n;
  frame.drawStyle = plot.DrawStyle();
  frame.colours = plot.Colours();
  frame.labels = BuildLabels(plot);
  frame.viewCaption = background != nullptr ? background->caption : std::string();
  const ScaledBackground* overlay =
      background != nullptr && !background->net && background->scaled ? &*background->scaled : nullptr;
  frame.overlay.clear();
  const int columnCount = std::max(g.right - g.left + 1, 0);
  constexpr int kUntouched = std::numeric_limits<int>::max();
  frame.columns.assign(static_cast<std::size_t>(columnCount), PlotColumn{kUntouched, false});
  frame.points.clear();
  frame.points.reserve(static_cast<std::size_t>(std::max(last - first + 1, 0)));
  frame.highestY = g.bottom;
  const int scaleHeight = g.ScaleHeight();
  const bool linear = plot.Linear();
  const LinearScaler scaler(plot.LinearScale(), scaleHeight);
  const int p = plot.LogRange();
  const int plotTop = g.top;
  const int plotBottom = std::max(g.top, g.bottom);
  const int plotRight = std::max(g.left, g.right);
  // (ch - first) x W stays within 32 bits for any pane narrower than half a million pixels.
  const bool narrow = g.width >= 0 && g.width < (1 << 19) && last - first < kMaxChannels;
  int previousColumn = g.ColumnOf(first - 1, first, n);
  for (int ch = first; ch <= last; ++ch) {
    const std::uint32_t count = DrawnCount(plot, ch, background);
    const std::int64_t h = linear ? scaler.Height(count) : LogHeight(count, p, scaleHeight);
    const std::int64_t y = g.bottom - h;
    frame.highestY = std::min(frame.highestY, y);
    const int clampedY = static_cast<int>(std::clamp<std::int64_t>(y, plotTop, plotBottom));
    const bool roi = plot.SoftRoi(ch);
    // One division gives both x(ch) and the channel's last filled column.
    const int offset = n <= 0 ? 0
                       : narrow ? (ch - first) * g.width / n
                                : static_cast<int>(static_cast<std::int64_t>(ch - first) * g.width / n);
    frame.points.push_back(PlotPoint{std::clamp(offset + g.x0, g.left, plotRight), clampedY, roi});
    if (overlay != nullptr) {
      // The overlay counts for the automatic scale too, so that a background above the measurement
      // stays in view.
      const std::uint32_t scaled = RoundedCount(ScaledAt(*overlay, ch));
      const std::int64_t overlayY = g.bottom - (linear ? scaler.Height(scaled) : LogHeight(scaled, p, scaleHeight));
      frame.highestY = std::min(frame.highestY, overlayY);
      frame.overlay.push_back(PlotPoint{frame.points.back().x,
                                        static_cast<int>(std::clamp<std::int64_t>(overlayY, plotTop, plotBottom)), false});
    }

    const int column = offset + g.left + g.pixelsPerChannel;
    const int from = column > previousColumn ? previousColumn + 1 : column;
    previousColumn = column;
    for (int cx = std::max(from, g.left); cx <= std::min(column, g.right); ++cx) {
      PlotColumn& target = frame.columns[static_cast<std::size_t>(cx - g.left)];
      if (clampedY < target.y) target = PlotColumn{clampedY, roi};
    }
  }
  for (PlotColumn& column : frame.columns)
    if (column.y == kUntouched) column.y = g.bottom;
}

bool PrepareFrame(SpectrumPlot& plot, const ClientRect& client, PlotFrame& frame, const PlotBackground* background) {
  plot.RebuildSoftSpectrum();
  plot.FitView(100);
  if (client.right <= client.left || client.bottom <= client.top) return false;
  BuildPlotFrame(plot, client, frame, background);
  const int scaleBefore = plot.LinearScale();
  plot.ApplyAutoScale(frame.highestY, frame.geometry);
  if (plot.LinearScale() != scaleBefore) plot.RequestRedraw(RedrawKind::Partial);
  return true;
}

const std::vector<int>& PlotColumnBook::Update(const PlotFrame& frame, bool full) {
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

bool PlotLabelBook::BottomChanged(const PlotLabels& labels, bool full) {
  const bool changed = full || !hasBottom_ || labels.firstText != written_.firstText ||
                       labels.middleText != written_.middleText || labels.lastText != written_.lastText;
  written_.firstText = labels.firstText;
  written_.middleText = labels.middleText;
  written_.lastText = labels.lastText;
  hasBottom_ = true;
  return changed;
}

bool PlotLabelBook::ScaleChanged(const PlotLabels& labels, bool full) {
  const bool changed = full || !hasScale_ || labels.scaleText != written_.scaleText;
  written_.scaleText = labels.scaleText;
  written_.scaleIsLog = labels.scaleIsLog;
  hasScale_ = true;
  return changed;
}

}  // namespace mirvo
