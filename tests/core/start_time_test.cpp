#include <gtest/gtest.h>

#include "FakeClock.h"
#include "acquisition/StartStamping.h"
#include "protocol/RegisterImage.h"
#include "protocol/StartStampRegisters.h"
#include "timesvc/StartTimeStamp.h"

namespace mirvo {
namespace {

std::int64_t Utc(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
  return UtcMillisecondsFromCivil(CivilTime{year, month, day, hour, minute, second, ms});
}

class ScriptedKindDialog final : public IStartTimeKindDialog {
 public:
  StartTimeKindChoice RunModal() override {
    ++runs;
    return answer;
  }
  StartTimeKindChoice answer;
  int runs = 0;
};

TEST(StartTimeTest, PacksDateAndTimeLikeADirectoryEntryFrom2000) {
  const CivilTime t = CivilTime{2025, 12, 31, 23, 59, 58};
  EXPECT_EQ(PackStartDate(t), 0x339F);
  EXPECT_EQ(PackStartTime(t), 0xBF7D);
  EXPECT_EQ(StartStampText(0x339F, 0xBF7D), "31/12/2025  23:59:58");
  // Year field 0: the stamp of a reset instrument.
  const CivilTime y2000 = CivilTime{2000, 6, 15, 10, 20, 30};
  EXPECT_LT(PackStartDate(y2000), 512);
  EXPECT_EQ(StartStampText(PackStartDate(y2000), PackStartTime(y2000)), "WAITING FOR START");
  EXPECT_EQ(StartStampText(0, 0), "WAITING FOR START");
  EXPECT_EQ(StartStampText(PackStartDate(CivilTime{2127, 1, 2, 0, 0, 0}), 0), "02/01/2127  00:00:00");
}

TEST(StartTimeTest, KindTextFollowsTheControlWordBits) {
  const std::pair<std::uint16_t, const char*> cases[] = {
      {0x0400, "START TIME: UTC"}, {0x0C00, "START TIME: UTC"},
      {0x0800, "START TIME: SYSTEM"}, {0xF3FF, "START TIME: LOCAL"}};
  for (const auto& [control, text] : cases) {
    RegisterImage image;
    image[reg::kControlWord] = control;
    const StartStampWords stamp = ReadStartStamp(image);
    EXPECT_STREQ(StartKindText(stamp.utc, stamp.system), text) << control;
  }
}

TEST(StartTimeTest, StartWaitsForTheNextEvenSecond) {
  struct Case {
    std::int64_t call;
    CivilTime expected;
  };
  const Case cases[] = {
      {Utc(2026, 5, 6, 7, 8, 7, 300), CivilTime{2026, 5, 6, 7, 8, 8}},
      {Utc(2026, 5, 6, 7, 8, 8, 100), CivilTime{2026, 5, 6, 7, 8, 10}},
      {Utc(2026, 5, 6, 7, 8, 8, 0), CivilTime{2026, 5, 6, 7, 8, 10}},
      {Utc(2026, 12, 31, 23, 59, 59, 999), CivilTime{2027, 1, 1, 0, 0, 0}},
  };
  StartTimeSettings system;
  system.systemFlag = true;
  for (const Case& c : cases) {
    test::FakeClock clock(c.call);
    test::FakeSleeper sleeper(&clock);
    RegisterImage image;
    const StampedStart stamp = StampStartTime(system, clock, sleeper, image);
    EXPECT_EQ(clock.UtcMilliseconds(), UtcMillisecondsFromCivil(c.expected)) << c.call;
    EXPECT_EQ(stamp.time.second, c.expected.second);
    EXPECT_EQ(stamp.time.millisecond, 0);
    EXPECT_EQ(image[reg::kStartDate], PackStartDate(c.expected));
    EXPECT_EQ(image[reg::kStartTime], PackStartTime(c.expected));
  }
}

TEST(StartTimeTest, EachKindStampsItsClockAndSetsItsBits) {
  struct Case {
    const char* what;
    bool utc;
    bool system;
    double offset;
    std::uint16_t bits;
    const char* text;
  };
  // The system clock reads 23:59:58.600 UTC on 31 Dec 2025; local time is two hours ahead.
  const Case cases[] = {
      {"UTC, clock 1.2 s behind", true, false, 1.2, 0x0400, "01/01/2026  00:00:00"},
      {"UTC, clock 3 s ahead", true, false, -3.0, 0x0400, "31/12/2025  23:59:56"},
      {"SYSTEM", false, true, 0.0, 0x0800, "01/01/2026  00:00:00"},
      {"LOCAL", false, false, 0.0, 0x0000, "01/01/2026  02:00:00"},
  };
  for (const Case& c : cases) {
    test::FakeClock clock(Utc(2025, 12, 31, 23, 59, 58, 600), 2 * 3600);
    test::FakeSleeper sleeper(&clock);
    StartTimeSettings settings;
    settings.utcFlag = c.utc;
    settings.systemFlag = c.system;
    settings.utcOffset = c.offset;
    RegisterImage image;
    image[reg::kControlWord] = 0x0C01;  // running, both kind bits left over from an earlier start
    const StampedStart stamp = StampStartTime(settings, clock, sleeper, image);
    EXPECT_EQ(stamp.text, c.text) << c.what;
    EXPECT_EQ(image[reg::kControlWord], 0x0001 | c.bits) << c.what;
    EXPECT_EQ(StartStampText(image[reg::kStartDate], image[reg::kStartTime]), c.text) << c.what;
    EXPECT_EQ(image[reg::kControlWord + 0x100], 0) << c.what;
  }
}

TEST(StartTimeTest, LoggedRunStampsTheCommandHalfAndCopiesTheWords) {
  test::FakeClock clock(Utc(2026, 2, 3, 4, 5, 6, 500));
  test::FakeSleeper sleeper(&clock);
  StartTimeSettings settings;
  settings.utcFlag = true;
  RegisterImage image;
  image[0x110] = 0x0801;
  const StampedStart stamp = StampStartTime(settings, clock, sleeper, image, true);
  EXPECT_EQ(image[0x110], 0x0401);
  EXPECT_EQ(image[0x116], stamp.dateWord);
  EXPECT_EQ(image[0x117], stamp.timeWord);
  EXPECT_EQ(image[0x16], stamp.dateWord);
  EXPECT_EQ(image[0x17], stamp.timeWord);
  EXPECT_EQ(image[reg::kControlWord], 0);
  EXPECT_EQ(stamp.text, "03/02/2026  04:05:08");
}

TEST(StartTimeTest, AClockThatStandsStillDoesNotHangTheStart) {
  test::FakeClock clock(Utc(2026, 1, 1, 0, 0, 1));
  test::FakeSleeper sleeper;  // sleeps without moving the clock
  StartTimeSettings settings;
  RegisterImage image;
  StampStartTime(settings, clock, sleeper, image);
  EXPECT_FALSE(sleeper.sleeps.empty());
  EXPECT_LE(sleeper.sleeps.size(), 100u);
}

TEST(StartTimeTest, ChoosingRecordsTheDialogsAnswer) {
  struct Case {
    StartTimeKind kind;
    bool utc;
    bool system;
    double offset;
    const char* text;
  };
  const Case cases[] = {
      {StartTimeKind::Utc, true, false, -0.75, "START TIME: UTC"},
      {StartTimeKind::System, false, true, 0.0, "START TIME: SYSTEM"},
      {StartTimeKind::Local, false, false, 0.0, "START TIME: LOCAL"},
  };
  for (const Case& c : cases) {
    test::FakeClock clock(Utc(2026, 4, 5, 6, 7, 8));
    ScriptedKindDialog dialog;
    dialog.answer = {c.kind, -0.75};
    StartTimeSettings settings;
    settings.utcOffset = 9.0;
    ChooseStartTimeKind(settings, dialog, clock);
    EXPECT_EQ(settings.utcFlag, c.utc);
    EXPECT_EQ(settings.systemFlag, c.system);
    EXPECT_DOUBLE_EQ(settings.utcOffset, c.offset);
    EXPECT_EQ(settings.kindText, c.text);
    EXPECT_EQ(settings.Kind(), c.kind);
    EXPECT_EQ(settings.choiceTimeMs, clock.UtcMilliseconds());
    EXPECT_FALSE(settings.askFlag);
  }
}

TEST(StartTimeTest, StartAsksAfterConnectAndRefreshesAUtcChoiceAfterFiveMinutes) {
  struct Case {
    StartTimeKind kind;
    std::int64_t later;
    bool asks;
  };
  constexpr std::int64_t kFive = 5 * 60 * 1000;
  const Case cases[] = {
      {StartTimeKind::Utc, kFive, false},
      {StartTimeKind::Utc, kFive + 1, true},
      {StartTimeKind::System, 3600 * 1000, false},
      {StartTimeKind::Local, 3600 * 1000, false},
  };
  for (const Case& c : cases) {
    test::FakeClock clock(Utc(2026, 4, 5, 6, 7, 8));
    ScriptedKindDialog dialog;
    dialog.answer.kind = c.kind;
    StartTimeSettings settings;
    EXPECT_TRUE(EnsureStartTimeKindChosen(settings, dialog, clock));  // the ask flag starts set
    EXPECT_FALSE(EnsureStartTimeKindChosen(settings, dialog, clock));
    clock.Advance(c.later);
    EXPECT_EQ(EnsureStartTimeKindChosen(settings, dialog, clock), c.asks);
    EXPECT_EQ(dialog.runs, c.asks ? 2 : 1);

    OnConnect(settings);
    EXPECT_TRUE(settings.askFlag);
    EXPECT_EQ(settings.choiceTimeMs, 0);
    EXPECT_TRUE(EnsureStartTimeKindChosen(settings, dialog, clock));
  }
}

}  // namespace
}  // namespace mirvo
