// What the simulated instrument makes of its registers: power-up values, which registers it owns
// (the host's writes leave them alone), and the decoding of gains, thresholds, windows and clock.
#pragma once

#include <array>
#include <cstdint>

#include "lib/EventGenerator.h"

namespace kvetral {

using Registers = std::array<std::uint16_t, 256>;

namespace simreg {
constexpr unsigned kAdcOffset = 0x01, kSlowRise = 0x02, kSlowFlat = 0x03, kFastRise = 0x04, kFastFlat = 0x05;
constexpr unsigned kShortTc = 0x0A, kLongTc = 0x0B, kAmpOffset = 0x0C, kPileUp = 0x0D, kClock = 0x0F;
constexpr unsigned kFineGain = 0x11, kCoarseGain = 0x12, kNormLow = 0x14, kNormHigh = 0x15;
constexpr unsigned kTimeBase = 0x18, kTraceDelay = 0x19, kTraceControl = 0x1A, kRoiScaStart = 0x1B, kRoiScaEnd = 0x1C;
constexpr unsigned kSlowThresholdLow = 0x22, kFastThresholdLow = 0x24;
constexpr unsigned kThroughputCount = 0x2C, kIncomingCount = 0x2D, kThroughputGate = 0x2E, kIncomingGate = 0x2F;
constexpr unsigned kSlowEstimateLow = 0x30, kFastEstimateLow = 0x34;
constexpr unsigned kMargins = 0x47;
constexpr unsigned kHeightLow = 0x65, kHeightHigh = 0x66, kTipsS1Low = 0x67;
constexpr unsigned kTipsGain = 0x6E;
constexpr std::uint16_t kDefaultTipsGain = 53;  // TIPS gain 8 at slow rise 240 and fast rise 16
}  // namespace simreg

// Register values after power-up (and after the FPGA is configured again). `tipsBorder` splits
// the default S2 (gamma) and S3 (neutron) TIPS windows.
Registers PowerUpRegisters(std::uint32_t tipsBorder);

// Registers that the instrument itself drives: rate counters, threshold estimates, time counters,
// time-constant exponent and FPGA version. A register write from the host does not change them.
bool InstrumentOwned(unsigned reg);

// Sample period in nanoseconds from register 0x0F bits 3:2 (12.5, 10, 8, 6.25 ns).
double SamplePeriodNs(const Registers& regs);
// Dead time of one processed event in seconds: it grows with the shaping time.
double DeadTimePerEvent(const Registers& regs);

// Thresholds in pulse-height channels (AUTO thresholds follow the auto margins of register 0x47).
struct Thresholds {
  std::uint32_t slow = 0, fast = 0;
  std::uint32_t autoSlow = 0, autoFast = 0;  // what the automatic thresholds would be
  std::uint32_t slowFactor = 1, fastFactor = 1;  // gain-normalisation factors the host scales by
};
Thresholds DecodeThresholds(const Registers& regs);

EventRouting DecodeRouting(const Registers& regs);

}  // namespace kvetral
