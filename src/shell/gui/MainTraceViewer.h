// What the main window keeps for the "Trace Viewer" pane: the trace viewer on the record sets, the
// shaper values it borrows, and its form.
#pragma once

#include "traces/ShaperGains.h"
#include "traces/TraceViewer.h"

namespace mirvo {

class COscopeView;

struct MainTraceViewer {
  MainTraceViewer(IPanelHost& host, const SamplePeriod& period, std::function<int()> longTc,
                  std::function<double()> bdc)
      : gains(std::move(longTc), std::move(bdc)), viewer(host, period, gains) {}
  FunctionShaperGains gains;
  TraceViewer viewer;
  COscopeView* view = nullptr;
};

}  // namespace mirvo
