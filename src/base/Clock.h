// The clock and the sleeper, injected wherever the program reads the time or waits, so that tests
// run a 21-second time-out in milliseconds and never depend on the wall clock.
#pragma once

#include <cstdint>

namespace mirvo {

// A calendar date and time of day; month 1..12, day 1..31.
struct CivilTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int dayOfWeek = 4;  // 0 = Sunday
};

class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds since 1970-01-01 00:00:00 UTC.
  virtual std::int64_t UtcMilliseconds() const = 0;
  // The same instant as local time under the time-zone rules in force.
  virtual CivilTime LocalTime() const = 0;
  // Offset of local time from UTC in seconds at this instant (east positive).
  virtual int UtcOffsetSeconds() const = 0;
  CivilTime UtcTime() const;
};

class ISleeper {
 public:
  virtual ~ISleeper() = default;
  virtual void SleepMilliseconds(int milliseconds) = 0;
};

// The real clock of the host (CLOCK_REALTIME, local time through localtime_r).
class SystemClock final : public IClock {
 public:
  std::int64_t UtcMilliseconds() const override;
  CivilTime LocalTime() const override;
  int UtcOffsetSeconds() const override;
};

class SystemSleeper final : public ISleeper {
 public:
  void SleepMilliseconds(int milliseconds) override;
};

// Calendar arithmetic shared by the clock users.
CivilTime CivilFromUtcMilliseconds(std::int64_t utcMilliseconds);
std::int64_t UtcMillisecondsFromCivil(const CivilTime& civil);

// The process-wide real clock and sleeper, for the places that have nothing injected.
IClock& DefaultClock();
ISleeper& DefaultSleeper();

}  // namespace mirvo
