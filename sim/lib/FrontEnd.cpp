#include "lib/FrontEnd.h"

#include <algorithm>
#include <cmath>

#include "protocol/RegisterImage.h"

namespace kvetral {
namespace {

constexpr std::uint64_t kCountsPerCorrection = 400;  // enough for a flank ratio good to about 5 %
constexpr double kLoopGain = 0.5;
constexpr double kMinCorrection = 0.75, kMaxCorrection = 1.33;

std::uint64_t Sum(const std::uint32_t* before, const std::uint32_t* after, unsigned from, unsigned to) {
  std::uint64_t sum = 0;
  for (unsigned ch = from; ch <= to && ch < EventGenerator::kChannels; ++ch)
    sum += after[ch] >= before[ch] ? after[ch] - before[ch] : after[ch];  // a reset between: all new
  return sum;
}

}  // namespace

double FrontEnd::Temperature(double seconds) {
  const double minutes = std::max(0.0, seconds) / 60.0;
  return 27.0 + 12.0 * (1.0 - std::exp(-minutes / 10.0)) + 0.6 * std::sin(minutes / 5.0);
}

double FrontEnd::GainFactor(double seconds) const {
  return (1.0 + drift_ / 100.0 * (Temperature(seconds) - kReferenceCelsius)) * correction_;
}

double FrontEnd::OffsetChannels(const Registers& regs) {
  double offset = (static_cast<double>(regs[simreg::kAdcOffset]) - 8000.0) / 8.0;
  if ((regs[mirvo::reg::kControlWord] & simreg::kAutoOffset) == 0)
    offset += (static_cast<double>(regs[simreg::kAmpOffset]) - 0x8000) / 32.0;
  return offset;
}

EventRouting FrontEnd::Routing(const Registers& regs, double seconds) const {
  EventRouting routing = DecodeRouting(regs);
  routing.channelsPerKeV *= GainFactor(seconds);
  routing.offsetChannels = OffsetChannels(regs);
  return routing;
}

bool FrontEnd::Active(const Registers& regs) const {
  return drift_ != 0.0 || (regs[simreg::kStabilizerFirst] & simreg::kStabilizerEnable) != 0 || correction_ != 1.0;
}

void FrontEnd::Stabilize(const Registers& regs, const std::uint32_t* s1Before, const std::uint32_t* s1After) {
  if ((regs[simreg::kStabilizerFirst] & simreg::kStabilizerEnable) == 0) {
    PowerUp();
    return;
  }
  const unsigned outerLeft = regs[simreg::kStabilizerFirst] & 0x3FFFu;
  const unsigned innerLeft = regs[simreg::kStabilizerFirst + 1] & 0x3FFFu;
  const unsigned innerRight = regs[simreg::kStabilizerFirst + 2] & 0x3FFFu;
  const unsigned outerRight = regs[simreg::kStabilizerFirst + 3] & 0x3FFFu;
  if (!(outerLeft < innerLeft && innerLeft < innerRight && innerRight < outerRight)) return;  // no usable windows
  left_ += Sum(s1Before, s1After, outerLeft, innerLeft);
  right_ += Sum(s1Before, s1After, innerRight, outerRight);
  if (left_ + right_ < kCountsPerCorrection) return;
  // The flank ratio says how far the peak sits off the middle: for a Gaussian peak with the windows
  // a quarter and a half FWHM out, a shift of d channels gives (R - L) / (R + L) of about
  // d / (1.3 w), w being the inner half gap.
  const double imbalance = (static_cast<double>(right_) - static_cast<double>(left_)) / static_cast<double>(left_ + right_);
  const double halfGap = (innerRight - innerLeft) / 2.0;
  const double centre = (innerLeft + innerRight) / 2.0;
  const double shift = 1.3 * halfGap * imbalance;
  correction_ = std::clamp(correction_ * (1.0 - kLoopGain * shift / std::max(centre, 1.0)), kMinCorrection,
                           kMaxCorrection);
  left_ = right_ = 0;
}

}  // namespace kvetral
