#include "lib/TraceGenerator.h"

#include <algorithm>
#include <cmath>

namespace kvetral {
namespace {

struct Pulse {
  double slowRise, slowFlat, fastRise, fastFlat, decay;
  double slowHeight, fastHeight, adcHeight;
  double tailFraction;  // share of the slow scintillation component (larger for neutrons)
};

double Trapezoid(double t, double rise, double flat, double height) {
  if (t < 0) return 0;
  if (t < rise) return height * t / rise;
  if (t < rise + flat) return height;
  if (t < 2 * rise + flat) return height * (2 * rise + flat - t) / rise;
  return 0;
}

double Analog(unsigned signal, const Pulse& p, double t) {
  switch (signal) {
    case 0: return Trapezoid(t, p.slowRise, p.slowFlat, p.slowHeight);
    case 1: return Trapezoid(t, p.fastRise, p.fastFlat, p.fastHeight);
    case 2: return t < 0 ? 0 : p.adcHeight * (std::exp(-t / p.decay) - std::exp(-t / 2.0));
    default:  // AUX: the detector current, fast and slow scintillation components
      if (t < 0) return 0;
      return p.slowHeight * ((1 - p.tailFraction) * std::exp(-t / 4.0) + p.tailFraction * std::exp(-t / 40.0));
  }
}

std::uint16_t Lanes(const Registers& regs, const Pulse& p, double t, const SimEvent& event, bool stored) {
  const Thresholds thr = DecodeThresholds(regs);
  const double peakAt = p.slowRise + p.slowFlat / 2;
  const double busy = 2 * p.slowRise + p.slowFlat;
  std::uint16_t bits = 0;
  if (t < 0) return bits;
  const double fastLevel = p.fastHeight * thr.fast / std::max(1, event.channel);
  const double slowLevel = p.slowHeight * thr.slow / std::max(1, event.channel);
  if (Trapezoid(t, p.fastRise, p.fastFlat, p.fastHeight) > fastLevel) bits |= lane::kFastLld;
  if (Trapezoid(t, p.slowRise, p.slowFlat, p.slowHeight) > slowLevel) bits |= lane::kSlowLld;
  if (t >= peakAt && t < peakAt + 1 + regs[simreg::kTimeBase]) bits |= lane::kPeakDetect;
  if (stored && t >= busy && t < busy + 1 + regs[simreg::kTimeBase]) bits |= lane::kStore;
  if (t < busy + p.slowRise / 2) bits |= lane::kInhibit;
  const std::uint16_t start = regs[simreg::kRoiScaStart] & 0x3FFFu, end = regs[simreg::kRoiScaEnd] & 0x3FFFu;
  const unsigned spectrum = start / 4096u;
  const std::int32_t value = spectrum == 0 ? event.tips : event.channel;
  if (t >= peakAt && t < peakAt + p.slowRise && value >= static_cast<std::int32_t>(start & 0x0FFFu) &&
      value <= static_cast<std::int32_t>(end & 0x0FFFu))
    bits |= lane::kRoiSca;
  return bits;
}

}  // namespace

TraceBlock CaptureTrace(const Registers& regs, const SimEvent& event, bool stored, Random& random) {
  Pulse p;
  p.slowRise = std::max<std::uint16_t>(regs[simreg::kSlowRise], 1);
  p.slowFlat = regs[simreg::kSlowFlat];
  p.fastRise = std::max<std::uint16_t>(regs[simreg::kFastRise], 1);
  p.fastFlat = regs[simreg::kFastFlat];
  p.decay = static_cast<double>(1u << (regs[0x3E] & 0x0Fu));
  const double channel = std::clamp(event.channel, 0, 4095);
  // Heights chosen so that the trace viewer's gain normalisation shows all signals at a similar size.
  p.slowHeight = std::min(30000.0, channel * p.slowRise / 25.0);
  p.fastHeight = std::min(30000.0, channel * 10.0);
  p.adcHeight = std::min(30000.0, channel * 10.0);
  p.tailFraction = event.neutron ? 0.35 : 0.12;

  const std::uint16_t control = regs[simreg::kTraceControl];
  const unsigned signal = control & 3u;
  const unsigned trigger = (control >> 3) & 7u;
  const bool randomTrigger = (control & 0x80u) != 0;
  const double step = 1.0 + regs[simreg::kTimeBase];
  const double delay = std::min<std::uint16_t>(regs[simreg::kTraceDelay], kTracePoints - 1);

  // Time (in samples after the pulse arrived) at which the trigger lane rises.
  double triggerAt = 0;
  if (randomTrigger) {
    triggerAt = (random.Uniform() * kTracePoints - delay) * -step;
  } else {
    for (double t = 0; t < 4 * p.slowRise + 4 * p.fastRise + 64; t += 1.0)
      if (Lanes(regs, p, t, event, stored) & (1u << trigger)) {
        triggerAt = t;
        break;
      }
  }
  TraceBlock block{};
  for (std::size_t k = 0; k < kTracePoints; ++k) {
    const double t = (static_cast<double>(k) - delay) * step + triggerAt;
    const double value = Analog(signal, p, t) + 6.0 * random.Normal();
    block[2 * k] = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(value, -32768.0, 32767.0)));
    block[2 * k + 1] = Lanes(regs, p, t, event, stored);
  }
  return block;
}

}  // namespace kvetral
