// A clock and a sleeper for tests: time moves only when the test (or a sleep) moves it. The clock may
// be read on another thread (the simulator's, a listener's) while the test moves it.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "base/Clock.h"

namespace mirvo::test {

class FakeClock final : public IClock {
 public:
  explicit FakeClock(std::int64_t utcMs = 0, int utcOffsetSeconds = 0) : utcMs_(utcMs), offset_(utcOffsetSeconds) {}
  static FakeClock AtLocal(const CivilTime& local, int utcOffsetSeconds = 0) {
    return FakeClock(UtcMillisecondsFromCivil(local) - utcOffsetSeconds * 1000LL, utcOffsetSeconds);
  }
  std::int64_t UtcMilliseconds() const override { return utcMs_; }
  CivilTime LocalTime() const override { return CivilFromUtcMilliseconds(utcMs_ + offset_ * 1000LL); }
  int UtcOffsetSeconds() const override { return offset_; }
  void Advance(std::int64_t ms) { utcMs_ += ms; }
  void SetUtc(std::int64_t ms) { utcMs_ = ms; }

 private:
  std::atomic<std::int64_t> utcMs_;
  int offset_;
};

// Records the sleeps asked for and advances a fake clock by them instead of waiting.
class FakeSleeper final : public ISleeper {
 public:
  explicit FakeSleeper(FakeClock* clock = nullptr) : clock_(clock) {}
  void SleepMilliseconds(int ms) override {
    sleeps.push_back(ms);
    if (clock_) clock_->Advance(ms);
  }
  std::vector<int> sleeps;

 private:
  FakeClock* clock_;
};

}  // namespace mirvo::test
