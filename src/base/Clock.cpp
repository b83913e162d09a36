#include "base/Clock.h"

#include <ctime>
#include <thread>

namespace mirvo {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

CivilTime FromTm(const std::tm& tm, int millisecond) {
  CivilTime c;
  c.year = tm.tm_year + 1900;
  c.month = tm.tm_mon + 1;
  c.day = tm.tm_mday;
  c.hour = tm.tm_hour;
  c.minute = tm.tm_min;
  c.second = tm.tm_sec;
  c.millisecond = millisecond;
  c.dayOfWeek = tm.tm_wday;
  return c;
}

}  // namespace

CivilTime CivilFromUtcMilliseconds(std::int64_t utcMilliseconds) {
  std::int64_t days = utcMilliseconds / 86400000;
  std::int64_t msOfDay = utcMilliseconds % 86400000;
  if (msOfDay < 0) {
    msOfDay += 86400000;
    --days;
  }
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  CivilTime c;
  c.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
  c.month = static_cast<int>(m);
  c.day = static_cast<int>(d);
  c.hour = static_cast<int>(msOfDay / 3600000);
  c.minute = static_cast<int>(msOfDay / 60000 % 60);
  c.second = static_cast<int>(msOfDay / 1000 % 60);
  c.millisecond = static_cast<int>(msOfDay % 1000);
  c.dayOfWeek = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  return c;
}

std::int64_t UtcMillisecondsFromCivil(const CivilTime& c) {
  const std::int64_t days = DaysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day));
  return ((days * 24 + c.hour) * 60 + c.minute) * 60000 + c.second * 1000 + c.millisecond;
}

CivilTime IClock::UtcTime() const { return CivilFromUtcMilliseconds(UtcMilliseconds()); }

std::int64_t SystemClock::UtcMilliseconds() const {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

CivilTime SystemClock::LocalTime() const {
  const std::int64_t ms = UtcMilliseconds();
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm tm{};
  localtime_r(&seconds, &tm);
  return FromTm(tm, static_cast<int>(ms % 1000));
}

int SystemClock::UtcOffsetSeconds() const {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return static_cast<int>(tm.tm_gmtoff);
}

void SystemSleeper::SleepMilliseconds(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

IClock& DefaultClock() {
  static SystemClock clock;
  return clock;
}

ISleeper& DefaultSleeper() {
  static SystemSleeper sleeper;
  return sleeper;
}

}  // namespace mirvo
