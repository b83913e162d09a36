#include "timesvc/TimeUtcModel.h"
#include "base/TextFormat.h"

#include <cmath>
#include <cstdio>

namespace mirvo {
namespace {

constexpr const char* kLongSeparator = "----------------------------------------------------------------------------";
constexpr const char* kShortSeparator = "------------------------------------------------------";

std::string TimestampLine(const char* label, NtpTimestamp timestamp) {
  const CivilTime t = CivilFromNtp(timestamp);
  char text[128];
  std::snprintf(text, sizeof text, "%s%02d/%02d/%04d  %02d:%02d:%02d.%03d", label, t.day, t.month, t.year, t.hour,
                t.minute, t.second, t.millisecond);
  return text;
}

std::string SecondsLine(const char* label, double seconds) { return FormatText("%s%f seconds", label, seconds); }

}  // namespace

void TimeUtcModel::Open() {
  log_.clear();
  linesAdded_ = 0;
  serverName_ = kDefaultServers[0];
  success_ = false;
}

void TimeUtcModel::AddLine(std::string line) {
  log_.push_back(std::move(line));
  ++linesAdded_;
  if (log_.size() > kMaxLogLines) log_.pop_front();
}

bool TimeUtcModel::GetUtc() {
  NtpResult result;
  success_ = client_.QueryTime(serverName_, result);
  if (success_) {
    result_ = result;
    measuredOffset_ = result.offset;
    AddLine("UTC Succesfully Retreived from: " + serverName_);
    AddLine(TimestampLine("This SYSTEM Originate Timestamp: ", result.originate));
    AddLine(TimestampLine("NTP Server Receive Timestamp:     ", result.receive));
    AddLine(TimestampLine("NTP Server Transmit Timestamp:    ", result.transmit));
    AddLine(TimestampLine("This SYSTEM Destination Timestamp: ", result.destination));
    AddLine(SecondsLine("SYSTEM-NTP-SYSTEM Delay: ", result.delay));
    AddLine(SecondsLine("SYSTEM/LOCAL Clock Offset: ", result.offset));
  } else {
    AddLine("Failed to retreive time from: " + serverName_);
    if (const std::string rejection = client_.LastRejection(); !rejection.empty()) AddLine(rejection);
  }
  AddLine(kLongSeparator);
  return success_;
}

TimeUtcModel::SyncOutcome TimeUtcModel::Synchronize() {
  if (!success_) return SyncOutcome::NoMeasurement;  // the button is disabled then
  SyncOutcome outcome;
  if (std::fabs(measuredOffset_) < kMaxSyncOffsetSeconds) {
    const NtpTimestamp corrected = NtpAddOffset(NtpFromUtcMilliseconds(clock_.UtcMilliseconds()), measuredOffset_);
    if (setter_.SetUtcMilliseconds(UtcMillisecondsFromNtp(corrected)) == 0) {
      AddLine("System time successfully synchronised");
      measuredOffset_ = 0;
      outcome = SyncOutcome::Synchronised;
    } else {
      AddLine("Failed to set the system time");
      if (const std::string reason = setter_.FailureReason(); !reason.empty()) AddLine(reason);
      outcome = SyncOutcome::SetFailed;
    }
  } else {
    AddLine("Can not synchronize: time difference > 1 hour");
    outcome = SyncOutcome::Refused;
  }
  AddLine(kShortSeparator);
  return outcome;
}

}  // namespace mirvo
