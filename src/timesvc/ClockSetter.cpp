#include "timesvc/ClockSetter.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace mirvo {
namespace {

// CAP_SYS_TIME lives in the first of the two 32-bit capability words.
constexpr std::uint32_t kSysTimeBit = 1u << CAP_SYS_TIME;

struct Capabilities {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};

  bool Read() { return syscall(SYS_capget, &header, data) == 0; }
  bool Write() { return syscall(SYS_capset, &header, data) == 0; }
};

// Raises CAP_SYS_TIME into the effective set for its lifetime when it is permitted but not effective.
class SysTimeRaised {
 public:
  SysTimeRaised() {
    if (!caps_.Read()) return;
    const bool permitted = (caps_.data[0].permitted & kSysTimeBit) != 0;
    const bool effective = (caps_.data[0].effective & kSysTimeBit) != 0;
    if (!permitted || effective) return;
    caps_.data[0].effective |= kSysTimeBit;
    raised_ = caps_.Write();
  }
  ~SysTimeRaised() {
    if (!raised_) return;
    caps_.data[0].effective &= ~kSysTimeBit;
    caps_.Write();
  }
  SysTimeRaised(const SysTimeRaised&) = delete;
  SysTimeRaised& operator=(const SysTimeRaised&) = delete;

 private:
  Capabilities caps_;
  bool raised_ = false;
};

}  // namespace

int SystemClockSetter::SetUtcMilliseconds(std::int64_t utcMilliseconds) {
  if (utcMilliseconds < 0) return EINVAL;
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(utcMilliseconds / 1000);
  ts.tv_nsec = static_cast<long>(utcMilliseconds % 1000) * 1000000L;
  const SysTimeRaised privilege;
  return clock_settime(CLOCK_REALTIME, &ts) == 0 ? 0 : errno;
}

}  // namespace mirvo
