// mirvo-cli trace PORT [--signal S] [--trigger NAME] [--timebase INDEX] [--delay N] [--average N]
// [--normalized] [--baud B] [--overwrite] -o FILE.csv: one (averaged) trace captured as the trace
// viewer takes it, written as File > Export Trace Viewer... writes it.
#include <cstdio>
#include <memory>

#include "app/cli/CliAcquisition.h"
#include "app/cli/CliOptions.h"
#include "files/TraceCsv.h"
#include "panels/PanelHost.h"
#include "traces/TraceCapture.h"

namespace mirvo::cli {
namespace {

struct TraceArguments {
  AcquisitionOptions options;
  TraceCapturePlan plan;
  std::string output;
  bool normalised = false;
  bool overwrite = false;
};

// An option of the capture plan, checked and applied by the trace viewer's own parser.
using PlanParser = bool (*)(const std::string& text, TraceCapturePlan& plan, std::string& error);

CLI::Option* AddPlanOption(CLI::App& command, const std::string& name, TraceCapturePlan& plan, PlanParser parse,
                           const std::string& typeName, const std::string& help) {
  return command
      .add_option_function<std::string>(
          name,
          [&plan, parse](const std::string& text) {
            std::string unused;
            parse(text, plan, unused);
          },
          help)
      ->type_name(typeName)
      ->check(Check([parse](const std::string& text) {
        TraceCapturePlan scratch;
        std::string error;
        return parse(text, scratch, error) ? std::string() : error;
      }));
}

int RunTrace(const TraceArguments& args) {
  const TraceCapturePlan& plan = args.plan;
  const std::string& output = args.output;
  const bool normalised = args.normalised;
  const bool overwrite = args.overwrite;
  CliAcquisition session(args.options);
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

std::function<int()> DefineTrace(CLI::App& command) {
  auto args = std::make_shared<TraceArguments>();
  TraceCapturePlan& plan = args->plan;
  AddPortArgument(command, args->options.device);
  AddPlanOption(command, "--signal", plan, ParseTraceSignal, "SLOW|FAST|ADC|AUX", "the signal shown (default SLOW)");
  AddPlanOption(command, "--trigger", plan, ParseTraceTrigger, "NAME", "the trigger, as the trace viewer names it");
  AddPlanOption(command, "--timebase", plan, ParseTraceTimeBase, "INDEX", "the time base, an index of its list");
  AddPlanOption(command, "--delay", plan, ParseTraceDelay, "N", "the trigger delay");
  AddPlanOption(command, "--average", plan, ParseTraceAverage, "1|2|4|8|16", "the number of traces averaged");
  command.add_flag("--normalized", args->normalised, "write the normalised trace");
  AddBaudOption(command, args->options.baud);
  command.add_flag("--overwrite", args->overwrite, "replace an existing file");
  command.add_option("-o", args->output, "the CSV file to write")->type_name("FILE.csv")->required();
  return [args] { return RunTrace(*args); };
}

const CliRegistration registration(
    {"trace", "capture one (averaged) trace as the trace viewer does and write its export", DefineTrace});

}  // namespace
}  // namespace mirvo::cli
