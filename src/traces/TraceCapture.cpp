#include "traces/TraceCapture.h"

#include <charconv>

namespace mirvo {

namespace {
bool ParseInt(const std::string& text, int low, int high, int& value) {
  int parsed = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (ec != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}
}  // namespace

bool ParseTraceSignal(const std::string& name, TraceCapturePlan& plan, std::string& error) {
  for (int i = 0; i < 4; ++i)
    if (name == AnalogSignalName(i)) {
      plan.signal = i;
      return true;
    }
  error = "--signal must be SLOW, FAST, ADC or AUX";
  return false;
}

bool ParseTraceTrigger(const std::string& name, TraceCapturePlan& plan, std::string& error) {
  if (name == "RANDOM") {
    plan.random = true;
    return true;
  }
  for (int i = 0; i < 8; ++i)
    for (bool coincidence : {false, true})
      if (name == DigitalSignalName(i, coincidence)) {
        plan.trigger = i;
        plan.coincidence = coincidence && (i == kInhibitIndex || i == kInputRIndex);
        return true;
      }
  error = "--trigger must be one of F LLD, S LLD, PKDT, STORE, PUR, INHIBIT, INPUT R, COINC W, COINC S, ROI-SCA, RANDOM";
  return false;
}

bool ParseTraceTimeBase(const std::string& text, TraceCapturePlan& plan, std::string& error) {
  if (ParseInt(text, 0, kTimeBaseIndexMax, plan.timeBaseIndex)) return true;
  error = "--timebase must be an index from 0 to 17";
  return false;
}

bool ParseTraceDelay(const std::string& text, TraceCapturePlan& plan, std::string& error) {
  if (ParseInt(text, 0, kDelayMax, plan.delay)) return true;
  error = "--delay must be a position from 0 to 255";
  return false;
}

bool ParseTraceAverage(const std::string& text, TraceCapturePlan& plan, std::string& error) {
  int n = 0;
  if (ParseInt(text, 1, 16, n) && (n & (n - 1)) == 0) {
    plan.averaged = n;
    return true;
  }
  error = "--average must be 1, 2, 4, 8 or 16";
  return false;
}

int PlanMode(const TraceCapturePlan& plan) {
  if (plan.random) return kModeRandom;
  int mode = kModeNormal;
  for (int n = plan.averaged; n > 1; n /= 2) mode = mode < 1 ? 1 : mode + 1;
  return mode;
}

void ApplyTracePlan(TraceViewer& viewer, const TraceCapturePlan& plan) {
  const int mode = PlanMode(plan);
  for (int presses = 0; viewer.Mode() != mode && presses < 8; ++presses) viewer.OnMode();
  viewer.OnSignal(plan.signal);
  if (viewer.Coincidence() != plan.coincidence) {
    if (viewer.Trigger() != kInputRIndex) viewer.OnTrigger(kInputRIndex);
    viewer.OnTrigger(kInputRIndex);  // pressed again: the coincidence alternative toggles
  }
  if (viewer.Trigger() != plan.trigger) viewer.OnTrigger(plan.trigger);
  while (viewer.TimeBaseIndex() < plan.timeBaseIndex) viewer.OnHorizontalPlus();
  while (viewer.TimeBaseIndex() > plan.timeBaseIndex) viewer.OnHorizontalMinus();
  viewer.OnDelay(plan.delay);
}

}  // namespace mirvo
