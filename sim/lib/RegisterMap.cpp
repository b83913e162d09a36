#include "lib/RegisterMap.h"

#include <algorithm>
#include <cmath>

#include "protocol/RegisterImage.h"

namespace kvetral {
namespace {

std::uint32_t Long(const Registers& regs, unsigned low) {
  return regs[low] | (static_cast<std::uint32_t>(regs[low + 1]) << 16);
}

void Window(const Registers& regs, unsigned low, std::uint32_t* from, std::uint32_t* to) {
  const std::uint32_t a = regs[low] & 0x0FFFu, b = regs[low + 1] & 0x0FFFu;
  *from = std::min(a, b);
  *to = std::max(a, b);
}

}  // namespace

Registers PowerUpRegisters(std::uint32_t tipsBorder) {
  using namespace simreg;
  Registers regs{};
  regs[kAdcOffset] = 8000;
  regs[kSlowRise] = 240;
  regs[kSlowFlat] = 1;
  regs[kFastRise] = 16;
  regs[kFastFlat] = 1;
  regs[kShortTc] = 32;
  regs[kLongTc] = 4000;
  regs[kAmpOffset] = 0x8000;
  regs[kPileUp] = 0x4000;  // rejector on, enhanced
  regs[kClock] = 2u << 2;  // 8 ns
  regs[mirvo::reg::kControlWord] = mirvo::cw::kResetIdle | mirvo::cw::kPulserOff | mirvo::cw::kCoincidenceOff;
  regs[kFineGain] = 4095u * 16u;  // fine code 0: factor 1.0
  regs[kCoarseGain] = 0x8000;
  regs[kNormLow] = 2400;  // 240 x 40960 / 4096
  regs[kNormHigh] = 0x8000;  // AUTO
  regs[kTimeBase] = 9;
  regs[kTraceDelay] = 48;
  regs[kTraceControl] = (9u << 8) | (5u << 12);
  regs[0x1E] = 0x8000 | 500;
  regs[0x1F] = 100;
  regs[0x20] = 240 + 240 / 32 + 1;
  regs[0x21] = 240 - 4;
  for (unsigned r = kSlowThresholdLow; r < kSlowThresholdLow + 4; ++r) regs[r] = 0xFFFF;  // AUTO
  regs[0x26] = 480;
  regs[0x27] = 240 / 10 + 4;
  regs[0x28] = 16 / 10 + 4;
  regs[0x29] = 2 * (1 + 240 - 16) + 240 / 16 - 1;
  regs[mirvo::reg::kTimeConstantExponent] = 8;  // 2^8 sample periods
  regs[mirvo::reg::kFpgaVersion] = 31;
  regs[0x44] = 1;
  regs[0x46] = 1;
  regs[kMargins] = 4u | (4u << 5);
  regs[kHeightLow] = 0;
  regs[kHeightHigh] = 4095;
  regs[kTipsS1Low] = 0;
  regs[kTipsS1Low + 1] = 4095;
  regs[kTipsS1Low + 2] = 0;
  regs[kTipsS1Low + 3] = static_cast<std::uint16_t>(std::min<std::uint32_t>(tipsBorder, 4096) - 1);
  regs[kTipsS1Low + 4] = static_cast<std::uint16_t>(std::min<std::uint32_t>(tipsBorder, 4095));
  regs[kTipsS1Low + 5] = 4095;
  regs[kTipsGain] = kDefaultTipsGain;
  return regs;
}

bool InstrumentOwned(unsigned reg) {
  return (reg >= 0x2C && reg <= 0x31) || (reg >= 0x34 && reg <= 0x35) || (reg >= 0x38 && reg <= 0x3F);
}

double SamplePeriodNs(const Registers& regs) {
  static constexpr double kPeriods[4] = {12.5, 10.0, 8.0, 6.25};
  return kPeriods[(regs[simreg::kClock] >> 2) & 3u];
}

double DeadTimePerEvent(const Registers& regs) {
  const double samples = 2.0 * regs[simreg::kSlowRise] + regs[simreg::kSlowFlat];
  return samples * SamplePeriodNs(regs) * 1e-9 + 0.5e-6;
}

Thresholds DecodeThresholds(const Registers& regs) {
  using namespace simreg;
  Thresholds t;
  std::uint32_t factor = regs[kNormLow] | (static_cast<std::uint32_t>(regs[kNormHigh] & 0x3FFFu) << 16);
  if (factor == 0) factor = 1;
  t.slowFactor = factor;
  if (regs[kSlowRise] != 0)
    t.fastFactor = static_cast<std::uint32_t>(std::lround(static_cast<double>(regs[kFastRise]) * factor / regs[kSlowRise]));
  else
    t.fastFactor = factor;
  if (t.fastFactor == 0) t.fastFactor = 1;
  // Auto thresholds sit a margin (in quarters, at least 4) above the noise.
  const std::uint32_t slowMargin = std::max(4u, regs[kMargins] & 0x1Fu);
  const std::uint32_t fastMargin = std::max(4u, (regs[kMargins] >> 5) & 0x1Fu);
  t.autoSlow = 8 * slowMargin / 4;
  t.autoFast = 10 * fastMargin / 4;
  const auto slowValue = static_cast<std::int32_t>(Long(regs, kSlowThresholdLow));
  const auto fastValue = static_cast<std::int32_t>(Long(regs, kFastThresholdLow));
  t.slow = slowValue > 0 ? std::min<std::uint32_t>(static_cast<std::uint32_t>(slowValue) / t.slowFactor, 4096) : t.autoSlow;
  t.fast = fastValue > 0 ? std::min<std::uint32_t>(static_cast<std::uint32_t>(fastValue) / t.fastFactor, 4096) : t.autoFast;
  return t;
}

EventRouting DecodeRouting(const Registers& regs) {
  using namespace simreg;
  EventRouting routing;
  // Fine gain: code c = 4095 - register / 16, factor 1 + 0.2 c / 4095. Every coarse range is x1.
  const unsigned fineCode = 4095u - regs[kFineGain] / 16u;
  routing.channelsPerKeV = EventGenerator::kChannelsPerKeV * (1.0 + 0.2 * fineCode / 4095.0);
  const Thresholds t = DecodeThresholds(regs);
  routing.lowestChannel = std::max(t.slow, t.fast);
  routing.tipsScale = std::max<std::uint16_t>(regs[kTipsGain], 1) / static_cast<double>(kDefaultTipsGain);
  Window(regs, kHeightLow, &routing.heightLow, &routing.heightHigh);
  for (unsigned k = 0; k < 3; ++k) Window(regs, kTipsS1Low + 2 * k, &routing.tipsLow[k], &routing.tipsHigh[k]);
  routing.needsHeight[1] = (regs[kTipsS1Low + 2] & 0x8000u) != 0;
  routing.needsHeight[2] = (regs[kTipsS1Low + 4] & 0x8000u) != 0;
  return routing;
}

}  // namespace kvetral
