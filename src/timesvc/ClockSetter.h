// Setting the system clock, injected so that tests record the time they would set and never
// touch the host's clock. The real setter needs CAP_SYS_TIME.
#pragma once

#include <cstdint>

namespace mirvo {

class IClockSetter {
 public:
  virtual ~IClockSetter() = default;
  // Sets the system clock to milliseconds since 1970-01-01 UTC. Returns 0, or the errno of the failure
  // (EPERM without the privilege); on failure the clock is unchanged.
  virtual int SetUtcMilliseconds(std::int64_t utcMilliseconds) = 0;
};

// clock_settime(CLOCK_REALTIME). When CAP_SYS_TIME is permitted but not effective (a program given
// the capability with setcap cap_sys_time+p), it is raised for the call and dropped again afterwards.
class SystemClockSetter final : public IClockSetter {
 public:
  int SetUtcMilliseconds(std::int64_t utcMilliseconds) override;
};

}  // namespace mirvo
