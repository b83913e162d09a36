// The instrument's sample-clock period, which the main window keeps and lends: the shaper panel sets
// it from the clock code of register 0x0F bits 3:2, and every conversion between samples and
// microseconds (acquisition panel, trace viewer, trace export, About Hardware) reads it.
#pragma once

#include "protocol/RegisterImage.h"

namespace mirvo {

class SamplePeriod {
 public:
  static constexpr unsigned kClockRegister = 0x0F;
  // Clock code 0: 12.5 ns, 1: 10 ns, 2: 8 ns, 3: 6.25 ns.
  static constexpr double NanosecondsOfCode(int code) {
    constexpr double kNs[4] = {12.5, 10.0, 8.0, 6.25};
    return kNs[code & 3];
  }
  static int CodeOf(const RegisterImage& image) { return (image[kClockRegister] >> 2) & 3; }

  double Us() const { return us_; }
  double Ns() const { return us_ * 1000.0; }
  int LastClockCode() const { return lastCode_; }
  bool ClockChanged() const { return changed_; }
  // Takes the clock code the instrument reports: when it differs from the last one seen (or on the
  // first look when `applyFirst` holds), the period follows the table and the clock-changed flag is
  // set; otherwise the flag is cleared. Returns the flag.
  bool Observe(int code, bool applyFirst = true) {
    code &= 3;
    changed_ = code != lastCode_ || (applyFirst && !seen_);
    seen_ = true;
    if (changed_) {
      lastCode_ = code;
      us_ = NanosecondsOfCode(code) / 1000.0;
    }
    return changed_;
  }
  // Back to the start: 8 ns, nothing seen.
  void Reset() { *this = SamplePeriod{}; }

 private:
  double us_ = kDefaultSamplePeriodUs;
  int lastCode_ = 0;
  bool changed_ = false;
  bool seen_ = false;
};

}  // namespace mirvo
