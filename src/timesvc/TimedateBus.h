// The one call the clock setter makes to systemd-timedated over the system D-Bus: SetTime with an
// absolute time and interactive authorisation (polkit may ask the user). Tests fake the reply.
#pragma once

#include <cstdint>
#include <string>

namespace mirvo {

struct TimedateReply {
  bool reached = false;  // the system bus opened and the call went out
  bool set = false;      // timedated set the clock
  std::string errorName;  // D-Bus error name when not set, e.g. "org.freedesktop.timedate1.AutomaticTimeSyncEnabled"
  std::string message;    // its text, or why the bus did not open
};

class ITimedateBus {
 public:
  virtual ~ITimedateBus() = default;
  // org.freedesktop.timedate1.SetTime(usec_utc, relative = false, interactive = true).
  virtual TimedateReply SetTime(std::int64_t utcMicroseconds) = 0;
};

// sd-bus on the system bus. The call waits while polkit asks the user (up to two minutes).
class SdBusTimedate final : public ITimedateBus {
 public:
  TimedateReply SetTime(std::int64_t utcMicroseconds) override;
};

}  // namespace mirvo
