// mirvo-cli log PORT --runs N --preset SECONDS --folder DIR --base NAME [--live] [--stamp ...]
// [--overwrite] [--n42 beside|instead]: a logged series through the spectrum logger and the engine's
// run steps; with --n42 each run is also (beside) or only (instead) saved as an N42.42 file.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/cli/CliAcquisition.h"
#include "app/cli/CliWatchdog.h"
#include "files/FileResult.h"
#include "files/RecoveryFolder.h"

namespace mirvo::cli {
namespace {

constexpr const char* kUsage =
    "Usage: mirvo-cli log PORT --runs N --preset SECONDS --folder DIR --base NAME [--live]\n"
    "                     [--stamp system|utc|local] [--baud B] [--overwrite] [--n42 beside|instead]\n";

// Prints each saved run and passes it on to the file writer.
class ProgressSaver final : public ILoggedRunSaver {
 public:
  ProgressSaver(BufferRecordsRunSaver& writer, int runs) : writer_(writer), runs_(runs) {}
  bool SaveLoggedRun(const LoggedRunFile& file) override {
    const bool ok = writer_.SaveLoggedRun(file);
    std::printf("\rrun %d/%d  real %10.2f s  live %10.2f s  %s %s\n", file.run, runs_, file.realSeconds,
                file.liveSeconds, ok ? "saved" : "NOT SAVED", file.path.c_str());
    std::fflush(stdout);
    if (!ok) {
      if (!writer_.lastFailureReason.empty()) std::fprintf(stderr, "%s\n", writer_.lastFailureReason.c_str());
      // The run is not lost: it goes to the recovery folder, and the series ends (the runs after it
      // could not be saved either).
      LoggedRunFile instead = file;
      instead.path = RecoveryPathFor(file.path);
      if (!instead.path.empty() && writer_.SaveLoggedRun(instead))
        std::fprintf(stderr, "mirvo-cli log: run %d was saved instead to %s\n", file.run, instead.path.c_str());
      else
        std::fprintf(stderr, "mirvo-cli log: run %d could not be saved anywhere\n", file.run);
    }
    failures += ok ? 0 : 1;
    return ok;
  }
  int failures = 0;

 private:
  BufferRecordsRunSaver& writer_;
  int runs_;
};

int RunLog(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  AcquisitionOptions options;
  std::string runsText, folder, base, n42;
  const bool overwrite = TakeFlag(args, "--overwrite");
  if (!TakeOption(args, "--runs", runsText) || !TakeOption(args, "--folder", folder) || !TakeOption(args, "--n42", n42) ||
      !TakeOption(args, "--base", base) || !ParseAcquisitionOptions(args, options))
    return kExitUsage;
  char* end = nullptr;
  const long runs = std::strtol(runsText.c_str(), &end, 10);
  if (args.size() != 1 || folder.empty() || base.empty() || runsText.empty() || *end != '\0' || runs <= 0 ||
      runs > 99999 || (!n42.empty() && n42 != "beside" && n42 != "instead")) {
    std::fprintf(stderr, "%s", kUsage);
    return kExitUsage;
  }
  options.device = args[0];
  // Every run of the series must be able to land in the folder: checked before the first starts.
  if (const std::string why = WhyCannotWrite(folder + "/" + base + "_0001.mps"); !why.empty()) {
    std::fprintf(stderr, "mirvo-cli log: %s: %s\n%s\n", folder.c_str(), kUnableToSaveFile, why.c_str());
    return kExitFailure;
  }

  CliAcquisition session(options);
  CliWatchdog watchdog(session, "log");  // warnings on stderr, exit 3 when a run was affected
  CliAcquisition::InstallInterruptHandler();
  session.dialogs.overwrite = overwrite;
  BufferRecordsRunSaver writer(session.host.BufferSet(), session.dialogs);
  ProgressSaver saver(writer, static_cast<int>(runs));
  SpectrumLogger& logger = session.panel.Logger();
  logger.SetSaver(&saver);
  if (!n42.empty()) logger.SetN42(n42 == "beside" ? LoggedN42::Beside : LoggedN42::Instead);

  if (!session.Connect()) return kExitFailure;
  if (!session.ApplyPreset() || !session.StopAndReset() || CliAcquisition::Interrupted()) {
    if (!CliAcquisition::Interrupted()) session.ReportLinkFailure("log");
    session.Disconnect();
    return kExitFailure;
  }

  logger.SetStorageFolder(folder);
  session.panel.OnLoggerBaseEdited(base);
  session.panel.OnLoggerRunsChanged(static_cast<std::int32_t>(runs));
  session.panel.OnLoggerEnableClicked(true);
  if (!logger.Enabled()) {
    std::fprintf(stderr, "mirvo-cli log: the spectrum logger was not enabled\n");
    session.Disconnect();
    return kExitFailure;
  }
  session.panel.StartAcquisition();

  session.host.onPanelChanged = [&] {
    if (!logger.Running()) return;
    std::printf("\rrun %d/%ld  real %s s  live %s s", std::min<int>(logger.Completed() + 1, static_cast<int>(runs)),
                runs, session.panel.RealText().c_str(), session.panel.LiveText().c_str());
    std::fflush(stdout);
  };
  bool stopping = false;
  session.loop.RunUntil([&] {
    if ((CliAcquisition::Interrupted() || saver.failures > 0) && !stopping) {
      // Ctrl+C, or a run that could not be saved: the series ends at once, the run in the
      // instrument is stopped.
      stopping = true;
      session.panel.OnLoggerEnableClicked(false);
      session.panel.StopAcquisition();
    }
    return !logger.Running() || !session.Connected();
  });
  session.host.onPanelChanged = nullptr;
  if (!session.Connected()) {
    std::printf("\n");
    session.ReportLinkFailure("log");
    std::fprintf(stderr, "mirvo-cli log: %d of %ld runs saved\n", logger.Completed(), runs);
    return kExitFailure;
  }
  if (stopping) {  // the stop has gone out when the next status read comes back
    const int folds = session.host.statusFolds;
    session.loop.RunUntil([&] { return session.host.statusFolds > folds || !session.Connected(); });
  }
  session.Disconnect();
  std::printf("\n%d of %ld runs completed\n", logger.Completed(), runs);
  if (stopping) return kExitFailure;
  return saver.failures == 0 ? watchdog.ExitCode(kExitOk) : kExitFailure;
}

const CliRegistration registration(
    {"log", "PORT --runs N --preset SECONDS --folder DIR --base NAME [--live] [--overwrite] [--n42 beside|instead]",
     "record a series of runs with the spectrum logger as <base>_0001.mps ... (and/or .n42)", RunLog});

}  // namespace
}  // namespace mirvo::cli
