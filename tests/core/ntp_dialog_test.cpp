#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

#include "FakeClock.h"
#include "ScriptedNtp.h"
#include "timesvc/TimeUtcModel.h"

namespace mirvo {
namespace {

const std::string kLong(76, '-');
const std::string kShort(54, '-');

using test::RecordingClockSetter;
using test::ScriptedNtpClient;

NtpTimestamp Ntp(int year, int month, int day, int hour, int minute, int second, int ms) {
  return NtpFromUtcMilliseconds(UtcMillisecondsFromCivil(CivilTime{year, month, day, hour, minute, second, ms}));
}

NtpResult ResultWithOffset(double offset) {
  NtpResult r;
  r.stratum = 2;
  r.originate = Ntp(2026, 3, 4, 5, 6, 7, 8);
  r.receive = Ntp(2026, 3, 4, 5, 6, 7, 120);
  r.transmit = Ntp(2026, 3, 4, 5, 6, 7, 121);
  r.destination = Ntp(2026, 3, 4, 5, 6, 7, 99);
  r.delay = 0.09;
  r.offset = offset;
  return r;
}

constexpr std::int64_t kNowMs = 1772600767008;  // 2026-03-04 05:06:07.008 UTC

class NtpDialogTest : public ::testing::Test {
 protected:
  NtpDialogTest() { dialog_.Open(); }
  test::FakeClock clock_{kNowMs};
  ScriptedNtpClient client_;
  RecordingClockSetter setter_;
  TimeUtcModel dialog_{clock_, client_, setter_};
};

TEST_F(NtpDialogTest, OpensWithTheFirstServerAndTheResultButtonsDisabled) {
  EXPECT_EQ(dialog_.ServerName(), "pool.ntp.org");
  EXPECT_EQ(std::string(TimeUtcModel::kDefaultServers[1]), "time.nist.gov");
  EXPECT_FALSE(dialog_.ResultButtonsEnabled());
  EXPECT_TRUE(dialog_.Log().empty());
  EXPECT_EQ(dialog_.Synchronize(), TimeUtcModel::SyncOutcome::NoMeasurement);
  EXPECT_TRUE(dialog_.Log().empty());
  EXPECT_TRUE(setter_.calls.empty());
}

TEST_F(NtpDialogTest, GetUtcLogsTheFourTimestampsDelayAndOffset) {
  client_.answer = ResultWithOffset(-0.0325);
  dialog_.SetServerName("time.example");
  EXPECT_TRUE(dialog_.GetUtc());
  const std::deque<std::string> expected{
      "UTC Succesfully Retreived from: time.example",
      "This SYSTEM Originate Timestamp: 04/03/2026  05:06:07.008",
      "NTP Server Receive Timestamp:     04/03/2026  05:06:07.120",
      "NTP Server Transmit Timestamp:    04/03/2026  05:06:07.121",
      "This SYSTEM Destination Timestamp: 04/03/2026  05:06:07.099",
      "SYSTEM-NTP-SYSTEM Delay: 0.090000 seconds",
      "SYSTEM/LOCAL Clock Offset: -0.032500 seconds",
      kLong,
  };
  EXPECT_EQ(dialog_.Log(), expected);
  EXPECT_EQ(client_.servers, std::vector<std::string>{"time.example"});
  EXPECT_TRUE(dialog_.ResultButtonsEnabled());
  EXPECT_DOUBLE_EQ(dialog_.MeasuredOffset(), -0.0325);
}

TEST_F(NtpDialogTest, FailedQueryLogsTheServerAndDisablesTheButtons) {
  client_.answer = ResultWithOffset(2.0);
  ASSERT_TRUE(dialog_.GetUtc());
  client_.answer.reset();
  EXPECT_FALSE(dialog_.GetUtc());
  EXPECT_FALSE(dialog_.ResultButtonsEnabled());
  EXPECT_EQ(dialog_.Log()[8], "Failed to retreive time from: pool.ntp.org");
  EXPECT_EQ(dialog_.Log()[9], kLong);
  EXPECT_EQ(dialog_.Log().size(), 10u);
  // The offset of the last good query is kept; Use UTC stays disabled until a query succeeds.
  EXPECT_DOUBLE_EQ(dialog_.MeasuredOffset(), 2.0);
}

TEST_F(NtpDialogTest, SynchronisationSetsTheClockOnlyForOffsetsUnderAnHour) {
  struct Case {
    double offset;
    int setterError;
    TimeUtcModel::SyncOutcome outcome;
    std::optional<std::int64_t> setTo;
    const char* line;
  };
  const Case cases[] = {
      {-3599.9, 0, TimeUtcModel::SyncOutcome::Synchronised, kNowMs - 3599900, "System time successfully synchronised"},
      {0.5, 0, TimeUtcModel::SyncOutcome::Synchronised, kNowMs + 500, "System time successfully synchronised"},
      {0.5, EPERM, TimeUtcModel::SyncOutcome::SetFailed, kNowMs + 500, "Failed to set the system time"},
      {3600.0, 0, TimeUtcModel::SyncOutcome::Refused, std::nullopt, "Can not synchronize: time difference > 1 hour"},
      {-3600.0, 0, TimeUtcModel::SyncOutcome::Refused, std::nullopt, "Can not synchronize: time difference > 1 hour"},
  };
  for (const Case& c : cases) {
    RecordingClockSetter setter;
    setter.error = c.setterError;
    TimeUtcModel dialog(clock_, client_, setter);
    dialog.Open();
    client_.answer = ResultWithOffset(c.offset);
    ASSERT_TRUE(dialog.GetUtc());
    EXPECT_EQ(dialog.Synchronize(), c.outcome) << c.offset;
    EXPECT_EQ(setter.calls, c.setTo ? std::vector<std::int64_t>{*c.setTo} : std::vector<std::int64_t>{}) << c.offset;
    ASSERT_EQ(dialog.Log().size(), 10u);
    EXPECT_EQ(dialog.Log()[8], c.line);
    EXPECT_EQ(dialog.Log()[9], kShort);
    // Once the clock runs on server time, Use UTC must not add the offset again.
    const bool set = c.outcome == TimeUtcModel::SyncOutcome::Synchronised;
    EXPECT_DOUBLE_EQ(dialog.MeasuredOffset(), set ? 0.0 : c.offset) << c.offset;
  }
}

TEST_F(NtpDialogTest, LogKeepsTheLast80Lines) {
  client_.rejection = "Reply rejected: stratum 0 is not 1 to 15";
  for (int i = 0; i < 27; ++i) dialog_.GetUtc();  // 3 lines each
  ASSERT_EQ(dialog_.Log().size(), 80u);
  EXPECT_EQ(dialog_.LinesAdded(), 81u);
  EXPECT_EQ(dialog_.Log().front(), client_.rejection);  // the first line has gone
  EXPECT_EQ(dialog_.Log().back(), kLong);
}

TEST_F(NtpDialogTest, OpeningAgainStartsAfreshButKeepsTheOffset) {
  client_.answer = ResultWithOffset(1.25);
  dialog_.SetServerName("10.0.0.1");
  ASSERT_TRUE(dialog_.GetUtc());
  dialog_.Open();
  EXPECT_TRUE(dialog_.Log().empty());
  EXPECT_EQ(dialog_.ServerName(), "pool.ntp.org");
  EXPECT_FALSE(dialog_.ResultButtonsEnabled());
  EXPECT_DOUBLE_EQ(dialog_.MeasuredOffset(), 1.25);
}

}  // namespace
}  // namespace mirvo
