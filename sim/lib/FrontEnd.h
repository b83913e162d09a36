// The analogue front end of the simulated instrument: the temperature as it warms after power-on,
// the gain drift that follows it, the baseline shift of the ADC and amplifier offsets, and the gain
// stabilizer, which compares the counts of its two windows on the flanks of a reference peak in S1
// and steers the gain so that the peak stays between them.
#pragma once

#include <array>
#include <cstdint>

#include "lib/EventGenerator.h"
#include "lib/RegisterMap.h"

namespace kvetral {

namespace simreg {
constexpr unsigned kStabilizerFirst = 0x40;  // 0x40..0x43: window edges; 0x40 bit 15 enable
constexpr std::uint16_t kStabilizerEnable = 0x8000;
constexpr std::uint16_t kAutoOffset = 0x0100;  // control word bit 8: the instrument sets the amplifier offset
constexpr unsigned kDigitalIo = 0x4B, kOutputFunctions = 0x4C;
}  // namespace simreg

class FrontEnd {
 public:
  static constexpr double kReferenceCelsius = 27.0;  // the gain is nominal at the power-up temperature
  static constexpr double kMaxSliceSeconds = 0.5;    // events are made in slices this long at most

  // `driftPercentPerCelsius`: the gain's change per degree, e.g. -0.3.
  explicit FrontEnd(double driftPercentPerCelsius = 0.0) : drift_(driftPercentPerCelsius) {}

  // The internal temperature after `seconds` of instrument time since power-on: from 27 C towards
  // 39 C over about ten minutes, with a slow wander of half a degree.
  static double Temperature(double seconds);
  // The gain relative to the registers' own: drift with the temperature times the stabilizer's correction.
  double GainFactor(double seconds) const;
  // Pulse heights move by this many channels: (ADC offset - 8000) / 8, plus (amplifier offset -
  // 0x8000) / 32 while the automatic offset is off.
  static double OffsetChannels(const Registers& regs);
  // Routing for events at instrument time `seconds`.
  EventRouting Routing(const Registers& regs, double seconds) const;
  // After a slice of events: the counts of S1 (4096 channels) before and after it. While the
  // stabilizer is enabled it compares its windows and corrects the gain; disabled, the gain is the
  // registers' own again.
  void Stabilize(const Registers& regs, const std::uint32_t* s1Before, const std::uint32_t* s1After);
  bool Active(const Registers& regs) const;
  double Correction() const { return correction_; }
  void PowerUp() { correction_ = 1.0, left_ = right_ = 0; }

 private:
  double drift_;
  double correction_ = 1.0;
  std::uint64_t left_ = 0, right_ = 0;  // window counts since the last correction
};

}  // namespace kvetral
