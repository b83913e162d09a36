// The painting decisions of the History pane's strip charts, without a pixel of drawing: the time
// axis in readable units, a value range with round ticks, and the columns a chart draws (minimum,
// maximum and mean per pixel column, broken where the samples had a gap).
#pragma once

#include <string>
#include <vector>

#include "monitor/HistoryBuffer.h"

namespace mirvo {

struct AxisTick {
  double value = 0.0;  // seconds for the time axis, the quantity's unit for a value axis
  std::string label;
};

struct TimeAxis {
  const char* unit = "s";   // "s", "min", "h" or "d"
  double secondsPerUnit = 1.0;
  double end = 60.0;        // seconds shown, from 0
  std::vector<AxisTick> ticks;
};
// Time 0 to at least `spanSeconds`, in the unit that suits it, with at most `maxTicks` round ticks.
TimeAxis ChooseTimeAxis(double spanSeconds, int maxTicks);

struct ValueAxis {
  double low = 0.0;
  double high = 1.0;
  std::vector<AxisTick> ticks;
};
// Round limits around low..high (a flat or empty range gets some room) with at most `maxTicks` ticks.
ValueAxis ChooseValueAxis(double low, double high, int maxTicks);

struct ChartColumn {
  bool valid = false;    // a sample of the quantity falls in the column
  bool joined = false;   // the line comes from the previous valid column (no gap between)
  double min = 0.0;
  double max = 0.0;
  double mean = 0.0;
  std::uint32_t samples = 0;
};
// `width` columns over times t0..t1 of one quantity.
std::vector<ChartColumn> ChartColumns(const HistoryBuffer& buffer, HistoryQuantity quantity, double t0, double t1,
                                      int width);
// The columns where counting had stopped: the incoming rate was known and stayed 0 throughout.
std::vector<bool> StalledColumns(const HistoryBuffer& buffer, double t0, double t1, int width);
// The lowest minimum and highest maximum of the valid columns; false when there is none.
bool ColumnRange(const std::vector<ChartColumn>& columns, double& low, double& high);

}  // namespace mirvo
