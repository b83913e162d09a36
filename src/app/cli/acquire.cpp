// mirvo-cli acquire PORT --preset SECONDS [--live] [--stamp system|utc|local] -o FILE.mps: one
// acquisition from reset to the end of its preset, saved as the BUFFER set.
#include <cstdio>
#include <memory>

#include "app/cli/CliAcquisition.h"
#include "app/cli/CliHistory.h"
#include "app/cli/CliOptions.h"
#include "app/cli/CliWatchdog.h"
#include "files/FileResult.h"
#include "files/RecoveryFolder.h"

namespace mirvo::cli {
namespace {

struct AcquireArguments {
  AcquisitionOptions options;
  std::string output;
  std::string history;
  int autosaveMinutes = WatchdogSettings{}.autosaveMinutes;
};

int RunAcquire(const AcquireArguments& args) {
  const AcquisitionOptions& options = args.options;
  const std::string& output = args.output;
  // A run is never made only to be thrown away: the output must be writable before it starts.
  if (const std::string why = WhyCannotWrite(output); !why.empty()) {
    std::fprintf(stderr, "mirvo-cli acquire: %s: %s\n%s\n", output.c_str(), kUnableToSaveFile, why.c_str());
    return kExitFailure;
  }
  if (const std::string why = CliHistory::WhyCannotWrite(args.history, false); !why.empty()) {
    std::fprintf(stderr, "mirvo-cli acquire: %s: %s\n%s\n", args.history.c_str(), kUnableToSaveFile, why.c_str());
    return kExitFailure;
  }

  CliAcquisition session(options);
  CliHistory history(session, args.history);
  CliWatchdog watchdog(session, "acquire");  // warnings on stderr, autosave, exit 3 when affected
  watchdog.Session().SetSettings(WatchdogSettings{.autosaveMinutes = args.autosaveMinutes});
  CliAcquisition::InstallInterruptHandler();
  session.host.onPanelChanged = [&] {
    std::fprintf(stdout, "\r%s", session.ProgressText().c_str());
    std::fflush(stdout);
  };
  if (!session.Connect()) return kExitFailure;
  if (!session.ApplyPreset() || !session.StopAndReset()) {
    if (!CliAcquisition::Interrupted()) session.ReportLinkFailure("acquire");
    session.Disconnect();
    return kExitFailure;
  }

  if (CliAcquisition::Interrupted()) {
    session.Disconnect();
    std::fprintf(stderr, "\nmirvo-cli acquire: interrupted before the start\n");
    return kExitFailure;
  }
  session.panel.StartAcquisition();
  if (session.panel.StartStampText() == kHardwareNotConnectedText) {
    session.ReportLinkFailure("acquire");
    return kExitFailure;
  }
  // The run ends when a status read shows the run bit clear after it was seen set (or after the
  // times have grown, for a run shorter than one status read).
  bool seenRunning = false;
  bool stopSent = false;
  const auto ended = [&] {
    const bool running = session.host.record.registers.Running();
    seenRunning = seenRunning || running;
    if (CliAcquisition::Interrupted() && !stopSent) {
      stopSent = true;
      session.panel.StopAcquisition();  // Ctrl+C: stop cleanly and keep what was acquired
    }
    return !running && (seenRunning || session.panel.RealTime() > 0);
  };
  session.loop.RunUntil([&] { return ended() || !session.Connected(); });
  if (!session.Connected()) {
    session.ReportLinkFailure("acquire");
    history.Write("acquire", false);  // what came before the loss
    return kExitFailure;
  }

  // A whole pass of the spectrum memory read after the end: two chunk requests starting at 0.
  int passStarts = 0;
  session.lifecycle.Policy().SetChunkObserver([&](unsigned chunkStart) { passStarts += chunkStart == 0 ? 1 : 0; });
  session.loop.RunUntil([&] { return passStarts >= 2 || !session.Connected(); });
  session.lifecycle.Policy().SetChunkObserver(nullptr);
  if (!session.Connected()) {
    session.ReportLinkFailure("acquire");
    history.Write("acquire", false);  // what came before the loss
    return kExitFailure;
  }
  std::fprintf(stdout, "\r%s\n", session.ProgressText().c_str());

  std::string error;
  const bool saved = session.SaveBufferSet(output, error);
  session.host.onPanelChanged = nullptr;
  session.Disconnect();
  const bool historyWritten = history.Write("acquire", false);
  if (!saved) {
    std::fprintf(stderr, "mirvo-cli acquire: %s: %s\n", output.c_str(), error.c_str());
    // The data is not lost: it goes to the recovery folder.
    std::string again;
    const std::string recovery = RecoveryPathFor(output);
    if (!recovery.empty() && session.SaveBufferSet(recovery, again))
      std::fprintf(stderr, "mirvo-cli acquire: the run was saved instead to %s\n", recovery.c_str());
    else
      std::fprintf(stderr, "mirvo-cli acquire: the run could not be saved anywhere\n");
    return kExitFailure;
  }
  std::printf("saved %s\n", output.c_str());
  return historyWritten ? watchdog.ExitCode(kExitOk) : kExitFailure;
}

std::function<int()> DefineAcquire(CLI::App& command) {
  auto args = std::make_shared<AcquireArguments>();
  AddPortArgument(command, args->options.device);
  AddAcquisitionOptions(command, args->options);
  command.add_option("-o", args->output, "the spectrum file to save")->type_name("FILE.mps")->required();
  command.add_option("--history", args->history, "also write the rates, dead time and temperature over time as CSV")
      ->type_name("FILE.csv");
  command
      .add_option("--autosave", args->autosaveMinutes,
                  "save the running BUFFER set to the recovery folder every MINUTES (default 10, 0 = off)")
      ->type_name("MINUTES")
      ->check(WholeNumber(0, 1440));
  return [args] { return RunAcquire(*args); };
}

const CliRegistration registration({"acquire", "reset, run one acquisition to its preset, save the spectra",
                                    DefineAcquire});

}  // namespace
}  // namespace mirvo::cli
