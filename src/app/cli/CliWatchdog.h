// The watchdog and the autosave on a mirvo-cli acquisition: what the window would show goes to
// stderr, and a run that was warned about ends with exit status 3 (done, but look at the warnings).
#pragma once

#include "app/cli/CliAcquisition.h"
#include "app/cli/CliCommand.h"
#include "monitor/WatchdogSession.h"

namespace mirvo::cli {

// Same status as a damaged input: the command did its work, the warnings on stderr say what to check.
constexpr int kExitRunAffected = kExitDamagedInput;

class CliWatchdog final : public IWatchdogListener {
 public:
  // Default thresholds and autosave interval (the window's settings are not read here).
  CliWatchdog(CliAcquisition& session, const char* command);
  ~CliWatchdog() override;
  CliWatchdog(const CliWatchdog&) = delete;
  CliWatchdog& operator=(const CliWatchdog&) = delete;

  void WatchdogLine(const std::string& text, bool warning) override;
  // kExitOk becomes kExitRunAffected after a warning; other statuses stay.
  int ExitCode(int status) const { return status == kExitOk && session_.Affected() ? kExitRunAffected : status; }
  WatchdogSession& Session() { return session_; }

 private:
  CliAcquisition& acquisition_;
  const char* command_;
  WatchdogSession session_;
  int timer_ = 0;
};

}  // namespace mirvo::cli
