#include "app/cli/CliWatchdog.h"

#include <cstdio>

#include "files/SpectrumFile.h"

namespace mirvo::cli {

CliWatchdog::CliWatchdog(CliAcquisition& session, const char* command)
    : acquisition_(session),
      command_(command),
      session_(
          DefaultClock(), session.panel, session.host.memory, [&session] { return session.host.samplePeriodUs; },
          [&session](const std::string& path, FileSystemOps& fs) {
            return WriteSpectrumFile(session.host.BufferSet(), path,
                                     TimesFromRegisters(session.host.record.registers, session.host.samplePeriodUs),
                                     fs);
          },
          *this) {
  session_.Attach(session.lifecycle);
  timer_ = session.loop.SetTimer(200, [this] { session_.OnTick(); });
}

CliWatchdog::~CliWatchdog() { acquisition_.loop.KillTimer(timer_); }

void CliWatchdog::WatchdogLine(const std::string& text, bool) {
  // On its own line: the progress on stdout rewrites its line with carriage returns.
  std::fprintf(stderr, "\nmirvo-cli %s: %s\n", command_, text.c_str());
  std::fflush(stderr);
}

}  // namespace mirvo::cli
