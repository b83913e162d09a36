// mirvo-cli log PORT --runs N --preset SECONDS --folder DIR --base NAME [--live] [--stamp ...]
// [--overwrite] [--n42 beside|instead]: a logged series through the spectrum logger and the engine's
// run steps; with --n42 each run is also (beside) or only (instead) saved as an N42.42 file.
#include <algorithm>
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

struct LogArguments {
  AcquisitionOptions options;
  long runs = 0;
  std::string folder;
  std::string base;
  bool overwrite = false;
  std::string n42;
  std::string history;
};

int RunLog(const LogArguments& args) {
  const AcquisitionOptions& options = args.options;
  const long runs = args.runs;
  const std::string& folder = args.folder;
  const std::string& base = args.base;
  const std::string& n42 = args.n42;
  const bool overwrite = args.overwrite;
  // Every run of the series must be able to land in the folder: checked before the first starts.
  if (const std::string why = WhyCannotWrite(folder + "/" + base + "_0001.mps"); !why.empty()) {
    std::fprintf(stderr, "mirvo-cli log: %s: %s\n%s\n", folder.c_str(), kUnableToSaveFile, why.c_str());
    return kExitFailure;
  }
  if (const std::string why = CliHistory::WhyCannotWrite(args.history, true); !why.empty()) {
    std::fprintf(stderr, "mirvo-cli log: %s: %s\n%s\n", args.history.c_str(), kUnableToSaveFile, why.c_str());
    return kExitFailure;
  }

  CliAcquisition session(options);
  CliHistory history(session, args.history);
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
    history.Write("log", true);  // what came before the loss
    return kExitFailure;
  }
  if (stopping) {  // the stop has gone out when the next status read comes back
    const int folds = session.host.statusFolds;
    session.loop.RunUntil([&] { return session.host.statusFolds > folds || !session.Connected(); });
  }
  session.Disconnect();
  std::printf("\n%d of %ld runs completed\n", logger.Completed(), runs);
  const bool historyWritten = history.Write("log", true);
  if (stopping) return kExitFailure;
  return saver.failures == 0 && historyWritten ? watchdog.ExitCode(kExitOk) : kExitFailure;
}

std::function<int()> DefineLog(CLI::App& command) {
  auto args = std::make_shared<LogArguments>();
  const auto notEmpty = Check([](const std::string& text) { return text.empty() ? std::string("needs a value") : std::string(); });
  AddPortArgument(command, args->options.device);
  command.add_option("--runs", args->runs, "the number of runs in the series")
      ->type_name("N")
      ->required()
      ->check(WholeNumber(1, 99999));
  AddAcquisitionOptions(command, args->options);
  command.add_option("--folder", args->folder, "the folder of the run files")->type_name("DIR")->required()->check(notEmpty);
  command.add_option("--base", args->base, "the base name: NAME_0001.mps ...")->type_name("NAME")->required()->check(notEmpty);
  command.add_flag("--overwrite", args->overwrite, "replace the files of an earlier series");
  command.add_option("--n42", args->n42, "also (beside) or only (instead) save each run as an N42.42 file")
      ->type_name("beside|instead")
      ->check(OneOf({"beside", "instead"}));
  command.add_option("--history", args->history,
                     "also write the rates, dead time and temperature over time as CSV, and FILE-runs.csv with one row per run")
      ->type_name("FILE.csv");
  return [args] { return RunLog(*args); };
}

const CliRegistration registration(
    {"log", "record a series of runs with the spectrum logger as <base>_0001.mps ... (and/or .n42)", DefineLog});

}  // namespace
}  // namespace mirvo::cli
