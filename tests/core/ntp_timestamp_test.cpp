#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "timesvc/NtpPacket.h"
#include "timesvc/NtpTimestamp.h"

namespace mirvo {
namespace {

void ExpectCivil(const CivilTime& got, const CivilTime& want) {
  EXPECT_EQ(got.year, want.year);
  EXPECT_EQ(got.month, want.month);
  EXPECT_EQ(got.day, want.day);
  EXPECT_EQ(got.hour, want.hour);
  EXPECT_EQ(got.minute, want.minute);
  EXPECT_EQ(got.second, want.second);
  EXPECT_EQ(got.millisecond, want.millisecond);
}

NtpTimestamp Seconds(double s) {
  const double whole = std::floor(s);
  return {static_cast<std::uint32_t>(std::llround((s - whole) * 4294967296.0)), static_cast<std::uint32_t>(whole)};
}

TEST(NtpTimestampTest, MillisecondsToFractionFollowTheRoundedTable) {
  struct Case {
    int ms;
    std::uint32_t fraction;
  };
  const Case cases[] = {{0, 0}, {1, 4294967}, {2, 8589935}, {500, 2147483648u}, {999, 4290672329u}};
  for (const Case c : cases) {
    EXPECT_EQ(NtpFractionFromMilliseconds(c.ms), c.fraction) << c.ms;
    EXPECT_EQ(MillisecondsFromNtpFraction(c.fraction), c.ms) << c.ms;
  }
  for (int ms = 0; ms < 1000; ++ms) ASSERT_EQ(MillisecondsFromNtpFraction(NtpFractionFromMilliseconds(ms)), ms);
}

TEST(NtpTimestampTest, CalendarTimeConvertsBothWays) {
  struct Case {
    CivilTime civil;
    std::uint32_t seconds;
  };
  const Case cases[] = {
      {CivilTime{1970, 1, 1, 0, 0, 0}, 2208988800u},
      {CivilTime{2000, 2, 29, 12, 0, 0, 500}, 3160814400u},
      {CivilTime{2025, 12, 31, 23, 59, 58, 250}, 3976214398u},
      {CivilTime{2036, 2, 7, 6, 28, 15}, 0xFFFFFFFFu},
      // After the seconds field wraps in 2036 the count starts again from 0.
      {CivilTime{2036, 2, 7, 6, 28, 16}, 0u},
      {CivilTime{2040, 1, 1, 0, 0, 0}, 0x0754FD00u},
  };
  for (const Case& c : cases) {
    const NtpTimestamp ntp = NtpFromUtcMilliseconds(UtcMillisecondsFromCivil(c.civil));
    EXPECT_EQ(ntp.seconds, c.seconds) << c.civil.year;
    EXPECT_EQ(ntp.fraction, NtpFractionFromMilliseconds(c.civil.millisecond));
    ExpectCivil(CivilFromNtp(ntp), c.civil);
  }
  EXPECT_EQ(CivilFromNtp({0, 3976214398u}).dayOfWeek, 3);  // 31 Dec 2025 is a Wednesday
}

TEST(NtpTimestampTest, FractionThatRoundsToAWholeSecondCarriesIntoTheNextSecond) {
  const NtpTimestamp almost{0xFFFFFFFFu, 3976214399u};  // 2025-12-31 23:59:59.99999...
  EXPECT_EQ(MillisecondsFromNtpFraction(almost.fraction), 1000);
  ExpectCivil(CivilFromNtp(almost), CivilTime{2026, 1, 1, 0, 0, 0, 0});
}

TEST(NtpTimestampTest, DifferencesAreSignedSecondsAlsoAcrossTheWrap) {
  EXPECT_DOUBLE_EQ(NtpDifferenceSeconds(Seconds(100.75), Seconds(100.25)), 0.5);
  EXPECT_DOUBLE_EQ(NtpDifferenceSeconds(Seconds(100.25), Seconds(100.75)), -0.5);
  EXPECT_DOUBLE_EQ(NtpDifferenceSeconds(Seconds(100.0), Seconds(100.0)), 0.0);
  // 1 s after the wrap minus 1 s before it.
  EXPECT_DOUBLE_EQ(NtpDifferenceSeconds({0, 0}, {0, 0xFFFFFFFFu}), 1.0);
  EXPECT_DOUBLE_EQ(NtpDifferenceSeconds({0, 0xFFFFFFFFu}, {0, 0}), -1.0);
}

TEST(NtpTimestampTest, DelayAndOffsetOfTheFourTimestamps) {
  NtpResult r;
  r.originate = Seconds(100.0);
  r.receive = Seconds(100.6);
  r.transmit = Seconds(100.7);
  r.destination = Seconds(100.3);
  ComputeDelayAndOffset(r);
  EXPECT_NEAR(r.delay, 0.2, 1e-9);
  EXPECT_NEAR(r.offset, 0.5, 1e-9);
}

TEST(NtpTimestampTest, AddingAnOffsetCarriesBetweenFractionAndSeconds) {
  struct Case {
    double start;
    double offset;
    double expected;
  };
  const Case cases[] = {
      {1000.75, 0.5, 1001.25},        // fraction overflows into the seconds
      {1000.25, -0.5, 999.75},        // fraction borrows from the seconds
      {5000.0, -3599.9, 1400.1},
      {5000.0, 3600.0, 8600.0},
      {5000.5, 0.0, 5000.5},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(NtpDifferenceSeconds(NtpAddOffset(Seconds(c.start), c.offset), Seconds(0)), c.expected, 1e-6)
        << c.start << " + " << c.offset;
  // Wraps like the seconds field does.
  EXPECT_EQ(NtpAddOffset({0, 0xFFFFFFFFu}, 2.0), (NtpTimestamp{0, 1}));
  const NtpTimestamp t{123, 456};
  EXPECT_EQ(NtpAddOffset(t, std::numeric_limits<double>::quiet_NaN()), t);
  EXPECT_EQ(NtpAddOffset(t, std::numeric_limits<double>::infinity()), t);
}

}  // namespace
}  // namespace mirvo
