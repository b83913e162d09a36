// mirvo-cli trace PORT [--signal S] [--trigger NAME] [--timebase INDEX] [--delay N] [--average N]
// [--normalized] [--baud B] [--overwrite] -o FILE.csv: one (averaged) trace captured as the trace
// viewer takes it, written as File > Export Trace Viewer... writes it.
#include <cstdio>

#include "app/cli/CliAcquisition.h"
#include "files/TraceCsv.h"
#include "panels/PanelHost.h"
#include "traces/TraceCapture.h"

namespace mirvo::cli {
namespace {

constexpr const char* kUsage =
    "Usage: mirvo-cli trace PORT [--signal SLOW|FAST|ADC|AUX] [--trigger NAME] [--timebase INDEX]\n"
    "                  [--delay N] [--average 1|2|4|8|16] [--normalized] [--baud B] [--overwrite] -o FILE.csv\n";

bool ParsePlan(std::vector<std::string>& args, TraceCapturePlan& plan) {
  std::string signal, trigger, timebase, delay, average;
  if (!TakeOption(args, "--signal", signal) || !TakeOption(args, "--trigger", trigger) ||
      !TakeOption(args, "--timebase", timebase) || !TakeOption(args, "--delay", delay) ||
      !TakeOption(args, "--average", average))
    return false;
  std::string error;
  const bool ok = (signal.empty() || ParseTraceSignal(signal, plan, error)) &&
                  (trigger.empty() || ParseTraceTrigger(trigger, plan, error)) &&
                  (timebase.empty() || ParseTraceTimeBase(timebase, plan, error)) &&
                  (delay.empty() || ParseTraceDelay(delay, plan, error)) &&
                  (average.empty() || ParseTraceAverage(average, plan, error));
  if (!ok) std::fprintf(stderr, "mirvo-cli trace: %s\n", error.c_str());
  return ok;
}

int RunTrace(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  TraceCapturePlan plan;
  std::string output, baud;
  if (!TakeOption(args, "-o", output) || !TakeOption(args, "--baud", baud) || !ParsePlan(args, plan)) return kExitUsage;
  const bool normalised = TakeFlag(args, "--normalized");
  const bool overwrite = TakeFlag(args, "--overwrite");
  AcquisitionOptions options;
  if (!baud.empty()) {
    std::vector<std::string> baudArgs{"--baud", baud};
    if (!ParseBaud(baudArgs, options.baud)) return kExitUsage;
  }
  if (args.size() != 1 || output.empty() || args[0].starts_with("-")) {
    std::fprintf(stderr, "%s", kUsage);
    return kExitUsage;
  }
  options.device = args[0];

  CliAcquisition session(options);
  session.dialogs.overwrite = overwrite;
  CliAcquisition::InstallInterruptHandler();
  BufferSetPanelHost panelHost(session.host.buffers);
  SamplePeriod period;
  ImageShaperGains gains(session.host.record.registers);
  TraceViewer viewer(panelHost, period, gains);
  viewer.Attach(session.lifecycle);
  viewer.Initialise();
  if (!session.Connect()) return kExitFailure;
  period.Observe(SamplePeriod::CodeOf(session.host.record.registers));
  ApplyTracePlan(viewer, plan);

  // The block in the instrument may have been taken before the new settings arrived: the first
  // block after RUN is dropped, then RUN again starts a clean capture (and a clean average).
  viewer.OnRun();
  bool ok = session.Pump([&] { return viewer.BlocksShown() >= 1; });
  viewer.OnRun();
  viewer.OnRun();
  const long long first = viewer.BlocksShown();
  ok = ok && session.Pump([&] { return viewer.BlocksShown() >= first + BlocksForPlan(plan); });
  if (viewer.TraceRunning()) viewer.OnRun();
  if (!ok || viewer.BlocksShown() < first + BlocksForPlan(plan)) {
    if (CliAcquisition::Interrupted())
      std::fprintf(stderr, "mirvo-cli trace: interrupted before the trace was complete\n");
    else
      session.ReportLinkFailure("trace");
    session.Disconnect();
    return kExitFailure;
  }
  const FileResult result = ExportTracesAs(output, viewer.ExportInput(), normalised, session.dialogs);
  session.Disconnect();
  if (!result.Ok()) return kExitFailure;
  std::printf("saved %s\n", result.path.c_str());
  return kExitOk;
}

const CliRegistration registration(
    {"trace",
     "PORT [--signal SLOW|FAST|ADC|AUX] [--trigger NAME] [--timebase INDEX] [--delay N] [--average 1|2|4|8|16] "
     "[--normalized] [--overwrite] -o FILE.csv",
     "capture one (averaged) trace as the trace viewer does and write its export", RunTrace});

}  // namespace
}  // namespace mirvo::cli
