#include "lib/Shaper.h"

#include <algorithm>
#include <cmath>

namespace kvetral {
namespace {
constexpr double kNoiseKeVAtDefault = 2.0;  // at the power-up rise of 240 samples of 8 ns
constexpr double kDefaultRiseUs = 1.92;
constexpr double kBallisticScale = 0.03;    // relative sigma of a very short shaper
constexpr double kBallisticUs = 0.5;        // scintillator light collection time
}  // namespace

ShapingEffects DecodeShaping(const Registers& regs, double rateHz) {
  using namespace simreg;
  const double periodUs = SamplePeriodNs(regs) * 1e-3;
  const double riseUs = std::max<unsigned>(regs[kSlowRise], 1) * periodUs;
  const double flatUs = regs[kSlowFlat] * periodUs;
  ShapingEffects e;
  e.noiseKeV = kNoiseKeVAtDefault * std::sqrt(kDefaultRiseUs / riseUs);
  e.ballisticRel = kBallisticScale * std::exp(-(riseUs + flatUs) / kBallisticUs);
  // A second pulse within the slow pulse piles up; the fast shaper tells two pulses apart unless
  // they are closer than its own width (half of it when ENHANCED).
  const double slowS = (2.0 * regs[kSlowRise] + regs[kSlowFlat]) * periodUs * 1e-6;
  const bool rejectorOn = (regs[kPileUp] & 0x8000u) == 0;
  const bool enhanced = (regs[kPileUp] & 0x4000u) != 0;
  const double fastS = (2.0 * regs[kFastRise] + regs[kFastFlat]) * periodUs * 1e-6 * (enhanced ? 0.5 : 1.0);
  const double rate = std::max(0.0, rateHz);
  const double piled = 1.0 - std::exp(-rate * slowS);
  const double unresolved = std::min(piled, 1.0 - std::exp(-rate * fastS));
  if (rejectorOn) {
    e.rejectFraction = piled - unresolved;
    e.sumFraction = unresolved;
  } else {
    e.sumFraction = piled;
  }
  return e;
}

void ApplyShaping(const ShapingEffects& effects, EventRouting& routing) {
  routing.noiseChannels = effects.noiseKeV * routing.channelsPerKeV;
  routing.ballisticRel = effects.ballisticRel;
  routing.sumFraction = effects.sumFraction;
}

}  // namespace kvetral
