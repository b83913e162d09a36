#include "timesvc/ClockSetter.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

bool CapabilityClockSetter::ProcessHoldsSysTime() {
  Capabilities caps;
  return caps.Read() && (caps.data[0].permitted & kSysTimeBit) != 0;
}

int CapabilityClockSetter::SetUtcMilliseconds(std::int64_t utcMilliseconds) {
  reason_.clear();
  if (utcMilliseconds < 0) {
    reason_ = "The time lies before 1970";
    return EINVAL;
  }
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(utcMilliseconds / 1000);
  ts.tv_nsec = static_cast<long>(utcMilliseconds % 1000) * 1000000L;
  const SysTimeRaised privilege;
  if (clock_settime(CLOCK_REALTIME, &ts) == 0) return 0;
  const int error = errno;
  reason_ = std::string("clock_settime: ") + std::strerror(error);
  return error;
}

namespace {

constexpr const char* kAutomaticSync = "org.freedesktop.timedate1.AutomaticTimeSyncEnabled";

bool NotAuthorised(const std::string& errorName) {
  return errorName == "org.freedesktop.DBus.Error.AccessDenied" ||
         errorName == "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired";
}

std::string Refusal(const TimedateReply& reply) {
  if (!reply.reached) return "systemd-timedated is not reachable (" + reply.message + ")";
  if (NotAuthorised(reply.errorName)) return "Not authorised to set the system time (" + reply.message + ")";
  return "systemd-timedated did not set the time: " + reply.message + " (" + reply.errorName + ")";
}

}  // namespace

int TimedatedClockSetter::SetUtcMilliseconds(std::int64_t utcMilliseconds) {
  reason_.clear();
  if (utcMilliseconds < 0) {
    reason_ = "The time lies before 1970";
    return EINVAL;
  }
  const TimedateReply reply = bus_.SetTime(utcMilliseconds * 1000);
  if (reply.set) return 0;
  if (reply.errorName == kAutomaticSync) {
    reason_ = "Automatic time synchronisation (NTP) is on and keeps the clock; turn it off to set the time here";
    return EBUSY;
  }
  if (holdsSysTime_ && holdsSysTime_()) {
    const int error = direct_.SetUtcMilliseconds(utcMilliseconds);
    if (error != 0) reason_ = direct_.FailureReason();
    return error;
  }
  reason_ = Refusal(reply) + "; the program does not hold CAP_SYS_TIME";
  return EPERM;
}

}  // namespace mirvo
