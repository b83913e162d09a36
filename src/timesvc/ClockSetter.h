// Setting the system clock, injected so that tests record the time they would set and never
// touch the host's clock. The program asks systemd-timedated (the desktop's way, with polkit);
// clock_settime is the fallback for a process that already holds CAP_SYS_TIME.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "timesvc/TimedateBus.h"

namespace mirvo {

class IClockSetter {
 public:
  virtual ~IClockSetter() = default;
  // Sets the system clock to milliseconds since 1970-01-01 UTC. Returns 0, or the errno of the failure
  // (EPERM when not allowed); on failure the clock is unchanged.
  virtual int SetUtcMilliseconds(std::int64_t utcMilliseconds) = 0;
  // Why the last SetUtcMilliseconds failed, as one log line; empty when it succeeded or nothing is known.
  virtual std::string FailureReason() const { return {}; }
};

// clock_settime(CLOCK_REALTIME). When CAP_SYS_TIME is permitted but not effective, it is raised for the
// call and dropped again afterwards.
class CapabilityClockSetter final : public IClockSetter {
 public:
  int SetUtcMilliseconds(std::int64_t utcMilliseconds) override;
  std::string FailureReason() const override { return reason_; }
  // CAP_SYS_TIME is in the process's permitted set (root, or a capability given by the administrator).
  static bool ProcessHoldsSysTime();

 private:
  std::string reason_;
};

// First systemd-timedated's SetTime (interactive: polkit may ask the user). Only when timedated cannot
// be reached, or refuses for a reason other than automatic synchronisation, and the process already
// holds CAP_SYS_TIME, the clock is set directly. A refusal because NTP keeps the clock is final:
// the time service would undo a direct setting.
class TimedatedClockSetter final : public IClockSetter {
 public:
  TimedatedClockSetter(ITimedateBus& bus, IClockSetter& direct, std::function<bool()> holdsSysTime)
      : bus_(bus), direct_(direct), holdsSysTime_(std::move(holdsSysTime)) {}
  int SetUtcMilliseconds(std::int64_t utcMilliseconds) override;
  std::string FailureReason() const override { return reason_; }

 private:
  ITimedateBus& bus_;
  IClockSetter& direct_;
  std::function<bool()> holdsSysTime_;
  std::string reason_;
};

// What the programs use: timedated over sd-bus, then clock_settime with CAP_SYS_TIME.
class SystemClockSetter final : public IClockSetter {
 public:
  SystemClockSetter() : setter_(bus_, direct_, &CapabilityClockSetter::ProcessHoldsSysTime) {}
  int SetUtcMilliseconds(std::int64_t utcMilliseconds) override { return setter_.SetUtcMilliseconds(utcMilliseconds); }
  std::string FailureReason() const override { return setter_.FailureReason(); }

 private:
  SdBusTimedate bus_;
  CapabilityClockSetter direct_;
  TimedatedClockSetter setter_;
};

}  // namespace mirvo
