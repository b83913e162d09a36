// An NTP client that answers from a script and a clock setter that records what it was asked, for
// the tests of the time-stamp dialog and its logic.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "timesvc/ClockSetter.h"
#include "timesvc/CSNTPClient.h"

namespace mirvo::test {

// Answers queries from a script: a result, or a failure with an optional rejection line.
class ScriptedNtpClient final : public INtpClient {
 public:
  bool QueryTime(const std::string& serverName, NtpResult& result) override {
    servers.push_back(serverName);
    if (!answer) return false;
    result = *answer;
    return true;
  }
  std::string LastRejection() const override { return rejection; }

  std::optional<NtpResult> answer;
  std::string rejection;
  std::vector<std::string> servers;
};

class RecordingClockSetter final : public IClockSetter {
 public:
  int SetUtcMilliseconds(std::int64_t utcMilliseconds) override {
    calls.push_back(utcMilliseconds);
    return error;
  }
  std::string FailureReason() const override { return reason; }
  int error = 0;
  std::string reason;  // the failure's log line, when error != 0
  std::vector<std::int64_t> calls;
};

}  // namespace mirvo::test
