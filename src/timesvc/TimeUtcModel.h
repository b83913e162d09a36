// The logic of the "Measurement Time Stamp" dialog: the server list, Get UTC and the clock
// synchronisation with their log lines, the bounded log and the state of the two result buttons.
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <string>

#include "base/Clock.h"
#include "timesvc/CSNTPClient.h"
#include "timesvc/ClockSetter.h"

namespace mirvo {

class TimeUtcModel {
 public:
  static constexpr std::size_t kMaxLogLines = 80;
  static constexpr const char* kLogHeader = "TIME FORMAT: DD/MM/YYYY  HH:MM:SS.MS";
  static constexpr std::array<const char*, 2> kDefaultServers{"pool.ntp.org", "time.nist.gov"};
  // Offsets of this size or more are refused by the synchronisation.
  static constexpr double kMaxSyncOffsetSeconds = 3600.0;

  enum class SyncOutcome { Synchronised, SetFailed, Refused, NoMeasurement };

  TimeUtcModel(const IClock& clock, INtpClient& client, IClockSetter& setter)
      : clock_(clock), client_(client), setter_(setter) {}

  // Each opening: empty log, the first server selected, Use UTC and Synchronise disabled. The
  // measured offset is kept.
  void Open();

  const std::string& ServerName() const { return serverName_; }
  void SetServerName(std::string name) { serverName_ = std::move(name); }

  // Get UTC: one query of the server, logged; returns the success flag.
  bool GetUtc();
  // Synchonize SYSTEM/LOCAL with NTP: sets the clock to now + the measured offset when it is under
  // an hour, logged. After a successful setting the measured offset becomes 0, since the clock now
  // runs on server time and Use UTC must not apply the correction a second time.
  SyncOutcome Synchronize();

  // Use UTC and Synchonize SYSTEM/LOCAL with NTP are enabled exactly when the last Get UTC succeeded.
  bool ResultButtonsEnabled() const { return success_; }
  const NtpResult& LastResult() const { return result_; }
  // The clock offset that Use UTC hands to the start-time stamps (seconds).
  double MeasuredOffset() const { return measuredOffset_; }

  const std::deque<std::string>& Log() const { return log_; }
  // Lines appended since Open(), including any that the 80-line bound has dropped since.
  std::size_t LinesAdded() const { return linesAdded_; }

 private:
  void AddLine(std::string line);

  const IClock& clock_;
  INtpClient& client_;
  IClockSetter& setter_;
  std::string serverName_ = kDefaultServers[0];
  NtpResult result_;
  double measuredOffset_ = 0;
  bool success_ = false;
  std::deque<std::string> log_;
  std::size_t linesAdded_ = 0;
};

}  // namespace mirvo
