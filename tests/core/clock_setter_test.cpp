#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

#include "FakeClock.h"
#include "ScriptedNtp.h"
#include "timesvc/ClockSetter.h"
#include "timesvc/TimeUtcModel.h"

namespace mirvo {
namespace {

// systemd-timedated as the tests script it: one reply, and the times it was asked to set.
class FakeTimedate final : public ITimedateBus {
 public:
  TimedateReply SetTime(std::int64_t utcMicroseconds) override {
    calls.push_back(utcMicroseconds);
    return reply;
  }
  TimedateReply reply;
  std::vector<std::int64_t> calls;
};

TimedateReply Set() { return {true, true, "", ""}; }
TimedateReply Error(const char* name, const char* message) { return {true, false, name, message}; }
TimedateReply NoBus() { return {false, false, "", "cannot reach the system bus: No such file or directory"}; }

constexpr std::int64_t kTimeMs = 1772600767008;  // 2026-03-04 05:06:07.008 UTC

TEST(TimedatedClockSetter, AsksTimedateFirstAndFallsBackOnlyWithTheCapability) {
  struct Case {
    const char* what;
    TimedateReply reply;
    bool holdsSysTime;
    int directError;
    int expected;
    bool directCalled;
    const char* reason;  // the failure's log line ("" when set)
  } cases[] = {
      {"timedated sets it", Set(), true, 0, 0, false, ""},
      {"NTP on: refused, no fallback even with the capability",
       Error("org.freedesktop.timedate1.AutomaticTimeSyncEnabled", "Automatic time synchronization is enabled"),
       true, 0, EBUSY, false,
       "Automatic time synchronisation (NTP) is on and keeps the clock; turn it off to set the time here"},
      {"polkit says no, no capability",
       Error("org.freedesktop.DBus.Error.AccessDenied", "Access denied"), false, 0, EPERM, false,
       "Not authorised to set the system time (Access denied); the program does not hold CAP_SYS_TIME"},
      {"polkit says no, capability held: clock_settime", Error("org.freedesktop.DBus.Error.AccessDenied", "Access denied"),
       true, 0, 0, true, ""},
      {"no system bus, no capability", NoBus(), false, 0, EPERM, false,
       "systemd-timedated is not reachable (cannot reach the system bus: No such file or directory); "
       "the program does not hold CAP_SYS_TIME"},
      {"no system bus, capability held", NoBus(), true, 0, 0, true, ""},
      {"timedated missing, capability held but clock_settime fails",
       Error("org.freedesktop.DBus.Error.ServiceUnknown", "The name is not activatable"), true, EPERM, EPERM, true,
       "clock_settime: Operation not permitted"},
      {"another error, no capability",
       Error("org.freedesktop.DBus.Error.NoReply", "Connection timed out"), false, 0, EPERM, false,
       "systemd-timedated did not set the time: Connection timed out (org.freedesktop.DBus.Error.NoReply); "
       "the program does not hold CAP_SYS_TIME"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeTimedate bus;
    bus.reply = c.reply;
    test::RecordingClockSetter direct;
    direct.error = c.directError;
    if (c.directError != 0) direct.reason = "clock_settime: Operation not permitted";
    TimedatedClockSetter setter(bus, direct, [&] { return c.holdsSysTime; });

    EXPECT_EQ(setter.SetUtcMilliseconds(kTimeMs), c.expected);
    EXPECT_EQ(setter.FailureReason(), c.reason);
    ASSERT_EQ(bus.calls.size(), 1u);
    EXPECT_EQ(bus.calls[0], kTimeMs * 1000);  // microseconds for SetTime
    EXPECT_EQ(direct.calls, c.directCalled ? std::vector<std::int64_t>{kTimeMs} : std::vector<std::int64_t>{});
  }
}

TEST(TimedatedClockSetter, ATimeBefore1970AsksNobodyAndTheReasonClearsOnSuccess) {
  FakeTimedate bus;
  bus.reply = Error("org.freedesktop.timedate1.AutomaticTimeSyncEnabled", "on");
  test::RecordingClockSetter direct;
  TimedatedClockSetter setter(bus, direct, [] { return true; });
  EXPECT_EQ(setter.SetUtcMilliseconds(-1), EINVAL);
  EXPECT_TRUE(bus.calls.empty());
  EXPECT_TRUE(direct.calls.empty());

  EXPECT_EQ(setter.SetUtcMilliseconds(kTimeMs), EBUSY);
  EXPECT_FALSE(setter.FailureReason().empty());
  bus.reply = Set();
  EXPECT_EQ(setter.SetUtcMilliseconds(kTimeMs), 0);
  EXPECT_EQ(setter.FailureReason(), "");
}

TEST(TimedatedClockSetter, TheDialogLogsTheReasonUnderTheFailureLine) {
  test::FakeClock clock{kTimeMs};
  test::ScriptedNtpClient client;
  NtpResult result;
  result.offset = 0.25;
  client.answer = result;
  FakeTimedate bus;
  bus.reply = Error("org.freedesktop.timedate1.AutomaticTimeSyncEnabled", "Automatic time synchronization is enabled");
  test::RecordingClockSetter direct;
  TimedatedClockSetter setter(bus, direct, [] { return false; });
  TimeUtcModel dialog(clock, client, setter);
  dialog.Open();
  ASSERT_TRUE(dialog.GetUtc());
  const std::size_t before = dialog.Log().size();

  EXPECT_EQ(dialog.Synchronize(), TimeUtcModel::SyncOutcome::SetFailed);
  ASSERT_EQ(bus.calls.size(), 1u);
  EXPECT_EQ(bus.calls[0], (kTimeMs + 250) * 1000);
  const std::vector<std::string> added(dialog.Log().begin() + static_cast<std::ptrdiff_t>(before), dialog.Log().end());
  EXPECT_EQ(added, (std::vector<std::string>{
                       "Failed to set the system time",
                       "Automatic time synchronisation (NTP) is on and keeps the clock; turn it off to set the time here",
                       std::string(54, '-')}));
}

}  // namespace
}  // namespace mirvo
