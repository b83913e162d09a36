#include "monitor/HistoryChart.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/TextFormat.h"

namespace mirvo {

namespace {

// The smallest of 1, 2, 5 x 10^k that is at least `raw`.
double RoundStep(double raw) {
  if (!(raw > 0) || !std::isfinite(raw)) return 1.0;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= raw * (1 - 1e-9)) return m * power;
  return 10.0 * power;
}

std::string TickLabel(double value, double step) {
  // As many decimals as the step needs.
  const int decimals = step >= 1 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
  if (std::fabs(value) < step * 1e-6) value = 0.0;
  return FormatText("%.*f", decimals, value);
}

}  // namespace

TimeAxis ChooseTimeAxis(double spanSeconds, int maxTicks) {
  struct Unit {
    const char* name;
    double seconds;
    double upTo;  // used for spans up to this many seconds
  };
  constexpr std::array<Unit, 4> kUnits = {{{"s", 1, 180}, {"min", 60, 3 * 3600}, {"h", 3600, 3 * 86400}, {"d", 86400, 0}}};
  TimeAxis axis;
  const double span = std::isfinite(spanSeconds) && spanSeconds > 10.0 ? spanSeconds : 10.0;
  Unit unit = kUnits.back();
  for (const Unit& u : kUnits)
    if (u.upTo > 0 && span <= u.upTo) {
      unit = u;
      break;
    }
  axis.unit = unit.name;
  axis.secondsPerUnit = unit.seconds;
  const double inUnits = span / unit.seconds;
  const double step = RoundStep(inUnits / std::max(1, maxTicks - 1));
  axis.end = std::ceil(inUnits / step - 1e-9) * step * unit.seconds;
  for (double v = 0; v <= axis.end / unit.seconds + step * 1e-6; v += step)
    axis.ticks.push_back({v * unit.seconds, TickLabel(v, step)});
  return axis;
}

ValueAxis ChooseValueAxis(double low, double high, int maxTicks) {
  ValueAxis axis;
  if (!std::isfinite(low) || !std::isfinite(high)) low = high = 0.0;
  if (high < low) std::swap(low, high);
  if (high - low < 1e-9 * std::max(1.0, std::fabs(high))) {
    const double room = std::fabs(high) > 0 ? std::fabs(high) * 0.1 : 1.0;
    low -= room;
    high += room;
  }
  const double step = RoundStep((high - low) / std::max(1, maxTicks - 1));
  axis.low = std::floor(low / step + 1e-9) * step;
  axis.high = std::ceil(high / step - 1e-9) * step;
  for (double v = axis.low; v <= axis.high + step * 1e-6; v += step) axis.ticks.push_back({v, TickLabel(v, step)});
  return axis;
}

std::vector<ChartColumn> ChartColumns(const HistoryBuffer& buffer, HistoryQuantity quantity, double t0, double t1,
                                      int width) {
  std::vector<ChartColumn> columns(static_cast<std::size_t>(std::max(0, width)));
  if (width <= 0 || !(t1 > t0)) return columns;
  std::vector<bool> gapBefore(columns.size(), false);
  const std::size_t q = Index(quantity);
  const double gap = buffer.GapSeconds();
  const HistoryBucket* previous = nullptr;
  std::vector<double> sums(columns.size(), 0.0);
  for (std::size_t i = 0; i < buffer.Size(); ++i) {
    const HistoryBucket& bucket = buffer.At(i);
    const HistoryStat& stat = bucket.stats[q];
    if (stat.n == 0) continue;
    const double middle = (bucket.start + bucket.end) / 2;
    if (middle < t0 || middle > t1) {
      previous = &bucket;
      continue;
    }
    const auto x = static_cast<std::size_t>(
        std::clamp(static_cast<int>((middle - t0) / (t1 - t0) * width), 0, width - 1));
    ChartColumn& column = columns[x];
    if (previous != nullptr && bucket.start - previous->end > gap) gapBefore[x] = true;
    if (!column.valid) {
      column.valid = true;
      column.min = stat.min;
      column.max = stat.max;
    } else {
      column.min = std::min(column.min, static_cast<double>(stat.min));
      column.max = std::max(column.max, static_cast<double>(stat.max));
    }
    sums[x] += stat.sum;
    column.samples += stat.n;
    previous = &bucket;
  }
  bool seen = false;
  for (std::size_t x = 0; x < columns.size(); ++x) {
    ChartColumn& column = columns[x];
    if (!column.valid) continue;
    column.mean = sums[x] / column.samples;
    column.joined = seen && !gapBefore[x];
    seen = true;
  }
  return columns;
}

std::vector<bool> StalledColumns(const HistoryBuffer& buffer, double t0, double t1, int width) {
  const std::vector<ChartColumn> rates = ChartColumns(buffer, HistoryQuantity::kIncomingRate, t0, t1, width);
  std::vector<bool> stalled(rates.size(), false);
  for (std::size_t x = 0; x < rates.size(); ++x) stalled[x] = rates[x].valid && rates[x].max <= 0.0;
  return stalled;
}

bool ColumnRange(const std::vector<ChartColumn>& columns, double& low, double& high) {
  bool any = false;
  for (const ChartColumn& c : columns) {
    if (!c.valid) continue;
    low = any ? std::min(low, c.min) : c.min;
    high = any ? std::max(high, c.max) : c.max;
    any = true;
  }
  return any;
}

}  // namespace mirvo
