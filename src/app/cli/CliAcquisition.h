// The acquisition panel, its logger and the engine driven by the headless loop: what mirvo-cli
// acquire and log share (options, the connection, progress lines, waiting on status reads).
#pragma once

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "acquisition/LoggedRunSaver.h"
#include "app/cli/CliCommand.h"
#include "app/cli/CliLinkHost.h"
#include "acquisition/LinkLifecycle.h"
#include "shell/HeadlessHost.h"
#include "shell/EventLoop.h"

namespace mirvo::cli {

// The options both commands take.
struct AcquisitionOptions {
  std::string device;
  std::int64_t presetSeconds = 0;
  bool live = false;
  StartTimeKind stamp = StartTimeKind::System;
  unsigned baud = LinkLifecycle::kDefaultBaudRate;
};
// --preset (required), --live, --stamp and --baud of acquire and log.
void AddAcquisitionOptions(CLI::App& command, AcquisitionOptions& options);

// Message boxes on stderr; the overwrite question is answered by `overwrite`.
class CliDialogs final : public IUserDialog, public IFolderChooser, public IStartTimeKindDialog {
 public:
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override;
  bool AskOkCancel(const std::string& text, const std::string&, MessageIcon) override;
  bool ChooseFolder(const std::string&, const std::string&, std::string&) override { return false; }
  StartTimeKindChoice RunModal() override { return {kind, 0.0}; }

  bool overwrite = false;
  StartTimeKind kind = StartTimeKind::System;
  std::vector<std::string> messages;
};

class CliAcquisition {
 public:
  explicit CliAcquisition(const AcquisitionOptions& options);

  // Connects and waits for the first status read. False (with the reason on stderr) when the link
  // could not be set up.
  bool Connect();
  // Preset kind and time into the instrument.
  bool ApplyPreset();
  // Stops a run in progress and clears times and counts; waits until the instrument shows both.
  bool StopAndReset();
  // Processes events until `done`, the link is lost, or Ctrl+C.
  // Returns false when the link was lost.
  bool Pump(const std::function<bool()>& done);
  // The next status read's fold.
  bool WaitForStatus();
  bool Connected() const { return lifecycle.Link().Connected(); }
  void Disconnect();
  // The link's closing lines and the last error, for a failure report.
  void ReportLinkFailure(const char* command) const;
  // One line "real ... live ... dead ... S1 ..." for the progress display.
  std::string ProgressText();
  // The host's four spectra and times saved as a spectrum file of the BUFFER set.
  bool SaveBufferSet(const std::string& path, std::string& error);

  static void InstallInterruptHandler();
  static bool Interrupted();

  AcquisitionOptions options;
  CliDialogs dialogs;
  HeadlessHost host;
  HeadlessConnection connection{host};
  EventLoop& loop = connection.loop;
  LinkLifecycle& lifecycle = connection.lifecycle;
  AcquisitionPanel panel;
};

}  // namespace mirvo::cli
