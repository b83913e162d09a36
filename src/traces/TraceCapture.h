// One trace captured the way the viewer takes it, as mirvo-cli trace asks for it: the signal,
// trigger, time base, delay and averaging by name, set on a TraceViewer through its own handlers.
#pragma once

#include <string>

#include "traces/TraceViewer.h"

namespace mirvo {

struct TraceCapturePlan {
  int signal = 0;
  int trigger = 0;
  bool coincidence = false;  // trigger named "COINC W" or "COINC S"
  bool random = false;       // trigger named "RANDOM": the random-trigger mode
  int timeBaseIndex = 5;
  int delay = 48;
  int averaged = 1;  // 1, 2, 4, 8 or 16 traces
};

// Each returns false with the message for a value it does not know.
bool ParseTraceSignal(const std::string& name, TraceCapturePlan& plan, std::string& error);
bool ParseTraceTrigger(const std::string& name, TraceCapturePlan& plan, std::string& error);
bool ParseTraceTimeBase(const std::string& text, TraceCapturePlan& plan, std::string& error);
bool ParseTraceDelay(const std::string& text, TraceCapturePlan& plan, std::string& error);
bool ParseTraceAverage(const std::string& text, TraceCapturePlan& plan, std::string& error);

// The acquisition mode of the plan: RND, NRM, or Av2 .. Av16.
int PlanMode(const TraceCapturePlan& plan);
// Presses the viewer's buttons until it shows the plan (mode, signal, coincidence, trigger, time
// base, delay); each press commits as the form's would.
void ApplyTracePlan(TraceViewer& viewer, const TraceCapturePlan& plan);
// Blocks to show after RUN for one complete capture: the averaged count.
inline int BlocksForPlan(const TraceCapturePlan& plan) { return plan.random ? 1 : plan.averaged; }

}  // namespace mirvo
