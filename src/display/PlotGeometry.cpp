#include "display/PlotGeometry.h"

#include <cmath>

#include "base/TextFormat.h"
#include "display/SpectrumPlot.h"

namespace mirvo {

const std::array<const char*, 32> kFullScaleLabels = {
    "1",  "2",  "4",  "8",  "16",  "32",  "64",  "128",  "256",  "512",  "1k", "2k", "4k", "8k", "16k", "32k",
    "65k", "130k", "260k", "520k", "1M", "2M", "4M", "8M", "17M", "33M", "67M", "134M", "270M", "540M", "1B", "2B"};

PlotGeometry PlotGeometry::From(const ClientRect& client, int viewWidth) {
  PlotGeometry g;
  g.clientLeft = client.left;
  g.clientRight = client.right;
  g.left = client.left + 20;
  g.right = client.right - 10;
  g.width = g.right - g.left;
  g.top = client.top + 20;
  g.bottom = client.bottom - 25;
  g.height = g.bottom - g.top;
  g.pixelsPerChannel = viewWidth > 0 && g.width > 0 ? g.width / viewWidth : 0;
  g.x0 = g.left + g.pixelsPerChannel / 2;
  return g;
}

int PlotGeometry::ChannelToX(int channel, int first, int viewWidth) const {
  if (viewWidth <= 0) return x0;
  return static_cast<int>(static_cast<std::int64_t>(channel - first) * width / viewWidth) + x0;
}

int PlotGeometry::XToChannel(int x, int first, int viewWidth) const {
  if (width <= 0) return first;
  return static_cast<int>(static_cast<std::int64_t>(x - x0) * viewWidth / width) + first;
}

int PlotGeometry::ColumnOf(int channel, int first, int viewWidth) const {
  if (viewWidth <= 0) return left;
  return static_cast<int>(static_cast<std::int64_t>(channel - first) * width / viewWidth) + left + pixelsPerChannel;
}

LinearScaler::LinearScaler(int s, int scaleHeight) {
  shift_ = s < 0 ? 0 : (s > 31 ? 31 : s);
  height_ = static_cast<std::uint32_t>(scaleHeight < 4 ? 4 : scaleHeight);
  // Below this count the product count x H fits in 32 bits and a shift scales it.
  shiftLimit_ = 0x1FFFFFFFu / height_;
  divisor_ = shift_ <= 30 ? (1u << shift_) / height_ : 0x40000000u / (height_ >> 1);
  if (divisor_ == 0) divisor_ = 1;
}

std::int64_t LinearHeight(std::uint32_t count, int s, int scaleHeight) {
  return LinearScaler(s, scaleHeight).Height(count);
}

std::int64_t LogHeight(std::uint32_t count, int p, int scaleHeight) {
  if (count <= 1) return 0;
  p = p <= 0 ? 0 : 1;
  const int h = scaleHeight < 4 ? 4 : scaleHeight;
  return static_cast<std::int64_t>(std::log(static_cast<double>(count)) * h / ((16 << p) * std::log(2.0)));
}

int AutoScaleIndex(int s, std::int64_t highestY, const PlotGeometry& g) {
  const std::int64_t h = g.ScaleHeight();
  if (highestY < g.top) {
    std::int64_t d = g.bottom - highestY;
    while (d > h) {
      d /= 2;
      ++s;
    }
    if (s > 31) s = 31;
  } else if (highestY > g.bottom - h / 4) {
    std::int64_t d = g.bottom - highestY;
    if (d < 1) d = 1;
    while (d < h / 2) {
      d *= 2;
      --s;
    }
    if (s < 0) s = 0;
  }
  return s;
}

PlotLabels BuildLabels(const SpectrumPlot& plot) {
  PlotLabels labels;
  const int first = plot.First();
  const int last = plot.Last();
  const int middle = first + plot.ViewWidth() / 2;
  if (plot.Calibrated()) {
    labels.firstText = FormatText("%-9.2f ", plot.Energy(first));
    labels.middleText = FormatText("%9.2f ", plot.Energy(middle));
    labels.lastText = FormatText("%9.2f ", plot.Energy(last));
  } else {
    labels.firstText = FormatText("%-6d ", first);
    labels.middleText = FormatText("%6d ", middle);
    labels.lastText = FormatText("%6d ", last);
  }
  if (plot.Linear()) {
    labels.scaleText = FormatText("%4.4s  ", kFullScaleLabels[static_cast<std::size_t>(plot.LinearScale())]);
  } else {
    labels.scaleText = "LOG  ";
    labels.scaleIsLog = true;
  }
  return labels;
}

}  // namespace mirvo
