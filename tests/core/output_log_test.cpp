#include <gtest/gtest.h>

#include "FakeClock.h"
#include "shell/OutputLog.h"

namespace mirvo {
namespace {

CivilTime At(int year, int month, int day, int hour, int minute, int second) {
  CivilTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

TEST(OutputLog, PrefixFromTheLocalClock) {
  auto clock = test::FakeClock::AtLocal(At(2019, 3, 5, 14, 7, 9), 3600);
  OutputLog log(clock);
  log.AddLine("Connected to: /dev/ttyUSB0");
  log.AddLine("");
  ASSERT_EQ(log.Size(), 2u);
  EXPECT_EQ(log.Line(0), "05-MAR-19@14:07:09>> Connected to: /dev/ttyUSB0");
  EXPECT_EQ(log.Line(1), "05-MAR-19@14:07:09>> ");
  EXPECT_EQ(log.Year2(), 19);
  EXPECT_EQ(log.Month(), 3);
  EXPECT_EQ(log.Day(), 5);
  EXPECT_EQ(log.Hour(), 14);
  EXPECT_EQ(log.Minute(), 7);
}

TEST(OutputLog, DatesAcrossMonthsAndYears) {
  const struct {
    CivilTime time;
    const char* prefix;
  } cases[] = {
      {At(2000, 1, 1, 0, 0, 0), "01-JAN-00@00:00:00>> "},
      {At(2099, 12, 31, 23, 59, 59), "31-DEC-99@23:59:59>> "},
      {At(2026, 12, 9, 21, 52, 18), "09-DEC-26@21:52:18>> "},
      {At(2024, 2, 29, 12, 0, 5), "29-FEB-24@12:00:05>> "},
  };
  for (const auto& c : cases) EXPECT_EQ(OutputLog::Prefix(c.time), c.prefix);
}

TEST(OutputLog, BoundedAtTwoHundredOldestFirst) {
  auto clock = test::FakeClock::AtLocal(At(2019, 3, 5, 14, 7, 9));
  OutputLog log(clock);
  int notified = 0;
  log.SetChangeListener([&] { ++notified; });
  for (int i = 0; i < 250; ++i) log.AddLine("line " + std::to_string(i));
  ASSERT_EQ(log.Size(), 200u);
  EXPECT_EQ(log.Line(0).substr(21), "line 50");
  EXPECT_EQ(log.Line(199).substr(21), "line 249");
  EXPECT_EQ(log.TrimmedCount(), 50u);
  EXPECT_EQ(notified, 250);
}

TEST(OutputLog, WidthBookkeeping) {
  auto clock = test::FakeClock::AtLocal(At(2019, 3, 5, 14, 7, 9));
  OutputLog log(clock);
  // No measure: the line is still added.
  log.AddLine("unmeasured");
  EXPECT_EQ(log.Entries().back().width, 0);

  log.SetWidthMeasure([](const std::string& text) { return static_cast<int>(text.size()); });
  log.AddLine(std::string(100, 'w'));  // the widest line, 21 + 100 characters
  EXPECT_EQ(log.MaxWidth(), 121 + 10);
  for (int i = 0; i < 198; ++i) log.AddLine("x");
  EXPECT_EQ(log.MaxWidth(), 131);  // the wide line is still there
  log.AddLine("y");                // trims "unmeasured"
  EXPECT_EQ(log.MaxWidth(), 131);
  log.AddLine("z");                // trims the widest: the maximum is recomputed
  EXPECT_EQ(log.MaxWidth(), 22 + 10);

  log.SetWidthMeasure([](const std::string&) { return -1; });  // measuring impossible
  log.AddLine("still added");
  EXPECT_EQ(log.Line(log.Size() - 1).substr(21), "still added");
}

}  // namespace
}  // namespace mirvo
