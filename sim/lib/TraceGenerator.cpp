#include "lib/TraceGenerator.h"

#include <algorithm>
#include <cmath>

namespace kvetral {
namespace {

// One detector pulse as the instrument's signal chain sees it, times in samples after its arrival.
struct Pulse {
  double slowRise, slowFlat, fastRise, fastFlat;
  double decay;      // the preamplifier's decay, undone by the unfolding stage (LONG TC)
  double slowHeight, fastHeight, adcHeight;
  double tailFraction;  // share of the slow scintillation component (larger for neutrons)
  double arrival = 0;   // when it arrives (0 for the triggering pulse)
  bool present = true;
};

double Trapezoid(double t, double rise, double flat, double height) {
  if (t <= 0) return 0;
  if (t < rise) return height * t / rise;
  if (t < rise + flat) return height;
  if (t < 2 * rise + flat) return height * (2 * rise + flat - t) / rise;
  return 0;
}

// The raw ADC stream: a fast rise (the scintillation light collected) and the preamplifier's decay.
double AdcShape(const Pulse& p, double t) {
  if (t <= 0) return 0;
  const double fast = 3.0 + 6.0 * p.tailFraction;  // neutrons rise more slowly
  return p.adcHeight * (std::exp(-t / p.decay) - std::exp(-t / fast));
}

// The detector current: fast and slow scintillation components.
double AuxShape(const Pulse& p, double t) {
  if (t <= 0) return 0;
  return 0.5 * p.slowHeight * ((1 - p.tailFraction) * std::exp(-t / 4.0) + p.tailFraction * std::exp(-t / 40.0));
}

double Analog(unsigned signal, const Pulse& p, double t) {
  if (!p.present) return 0;
  t -= p.arrival;
  switch (signal) {
    case 0: return Trapezoid(t, p.slowRise, p.slowFlat, p.slowHeight);
    case 1: return Trapezoid(t, p.fastRise, p.fastFlat, p.fastHeight);
    case 2: return AdcShape(p, t);
    default: return AuxShape(p, t);
  }
}

double NoiseSigma(unsigned signal) {
  switch (signal) {
    case 0: return 3.0;
    case 1: return 5.0;
    case 2: return 4.0;
    default: return 3.0;
  }
}

// What the event lines of the instrument show for the pulse `p` (and a piled-up `second`) at time t.
struct LaneContext {
  const Registers* regs;
  const SimEvent* event;
  bool stored;
  double width;  // the shortest line pulse: one point of the trace
  // With the coincidence alternative (register 0x1A bit 2) lanes 5 and 6 show the coincidence
  // window opened by F LLD (register 0x45 samples long) and the other detector's signal, if any.
  bool coincidence = false;
  double coincidenceWindow = 0;
  double otherSignalAt = -1e9;
};

// When F LLD rises: the fast trapezoid crosses its threshold on its rising edge.
double FastLldOn(const Pulse& p, double fastLevel) {
  return p.fastHeight > 0 ? p.fastRise * std::min(1.0, fastLevel / p.fastHeight) : 0.0;
}

double FastLevel(const Registers& regs, const Pulse& p, const SimEvent& event) {
  return p.fastHeight * std::max<double>(DecodeThresholds(regs).fast, 1) / std::max(1, event.channel);
}

std::uint16_t Lanes(const LaneContext& c, const Pulse& p, const Pulse& second, double t) {
  if (!p.present) return 0;
  const Registers& regs = *c.regs;
  const Thresholds thr = DecodeThresholds(regs);
  const double channel = std::max(1, c.event->channel);
  const double fastLevel = FastLevel(regs, p, *c.event);
  const double slowLevel = p.slowHeight * std::max<double>(thr.slow, 1) / channel;
  const double peakAt = p.slowRise + p.slowFlat;  // the end of the flat top
  const double busy = 2 * p.slowRise + p.slowFlat;
  const bool piled = second.present;
  double fast = Trapezoid(t, p.fastRise, p.fastFlat, p.fastHeight);
  double slow = Trapezoid(t, p.slowRise, p.slowFlat, p.slowHeight);
  if (piled) {
    fast += Trapezoid(t - second.arrival, second.fastRise, second.fastFlat, second.fastHeight);
    slow += Trapezoid(t - second.arrival, second.slowRise, second.slowFlat, second.slowHeight);
  }
  std::uint16_t bits = 0;
  if (fast > fastLevel) bits |= lane::kFastLld;
  if (slow > slowLevel) bits |= lane::kSlowLld;
  if (t >= peakAt && t < peakAt + c.width) bits |= lane::kPeakDetect;
  if (piled) {
    if (t >= second.arrival && t < busy + c.width) bits |= lane::kPileUp;
  } else if (c.stored && t >= peakAt + c.width && t < peakAt + 2 * c.width + 4) {
    bits |= lane::kStore;
  }
  if (c.coincidence) {
    const double open = FastLldOn(p, fastLevel);
    if (t >= open && t < open + c.coincidenceWindow) bits |= lane::kInhibit;  // COINC W
    if (t >= c.otherSignalAt && t < c.otherSignalAt + c.width) bits |= lane::kInputR;  // COINC S
  } else if (t >= 0 && t < busy + p.slowRise / 2) {
    bits |= lane::kInhibit;
  }
  const std::uint16_t start = regs[simreg::kRoiScaStart] & 0x3FFFu, end = regs[simreg::kRoiScaEnd] & 0x3FFFu;
  const unsigned spectrum = start / 4096u;
  const std::int32_t value = spectrum == 0 ? c.event->tips : c.event->channel;
  if (!piled && t >= peakAt && t < peakAt + 2 * c.width + 4 && value >= static_cast<std::int32_t>(start & 0x0FFFu) &&
      value <= static_cast<std::int32_t>(end & 0x0FFFu))
    bits |= lane::kRoiSca;
  return bits;
}

Pulse MakePulse(const Registers& regs, double channel, bool neutron) {
  Pulse p;
  p.slowRise = std::max<std::uint16_t>(regs[simreg::kSlowRise], 1);
  p.slowFlat = regs[simreg::kSlowFlat];
  p.fastRise = std::max<std::uint16_t>(regs[simreg::kFastRise], 1);
  p.fastFlat = regs[simreg::kFastFlat];
  p.decay = std::max(20.0, (regs[simreg::kLongTc] & 0x1FFF) * 0.125);
  channel = std::clamp(channel, 0.0, 4095.0);
  // A shaper's output grows with its rise time (it sums that many samples); the trace viewer's
  // normalisation divides the rise time out again, so every shaping shows a channel at one height.
  p.slowHeight = std::min(32000.0, channel * p.slowRise / 16.0);
  p.fastHeight = std::min(32000.0, channel * p.fastRise / 2.0);
  p.adcHeight = std::min(32000.0, channel * 4.0);
  p.tailFraction = neutron ? 0.35 : 0.12;
  return p;
}

}  // namespace

TraceBlock CaptureTrace(const Registers& regs, const SimEvent& event, bool stored, Random& random) {
  const std::uint16_t control = regs[simreg::kTraceControl];
  const unsigned signal = control & 3u;
  const unsigned trigger = (control >> 3) & 7u;
  const bool invert = (control & 0x40u) != 0;
  const bool randomTrigger = (control & 0x80u) != 0;
  const double step = 1.0 + regs[simreg::kTimeBase];
  const double delay = std::min<std::uint16_t>(regs[simreg::kTraceDelay], kTracePoints - 1);

  Pulse p = MakePulse(regs, event.channel, event.neutron);
  // Now and then a second pulse piles up on the first: the rejector's line shows it.
  Pulse second = MakePulse(regs, event.channel * (0.3 + 0.7 * random.Uniform()), random.Uniform() < 0.2);
  second.present = !randomTrigger && random.Uniform() < 0.04;
  second.arrival = p.slowRise * (0.5 + 1.5 * random.Uniform());
  LaneContext context{&regs, &event, stored, std::max(4.0, step)};
  context.coincidence = (control & 0x04u) != 0;
  context.coincidenceWindow = std::max<double>(context.width, regs[0x45] & 0x3FFFu);
  if (context.coincidence && random.Uniform() < 0.5)  // the other detector saw the same event
    context.otherSignalAt = FastLldOn(p, FastLevel(regs, p, event)) + random.Uniform() * context.coincidenceWindow;

  // Time (in samples after the pulse arrived) of the trace's trigger point.
  double triggerAt = 0;
  if (randomTrigger) {
    // Most random triggers find the baseline; some catch a pulse somewhere in the window.
    p.present = random.Uniform() < 0.25;
    triggerAt = (random.Uniform() * kTracePoints - delay) * -step;
  } else {
    for (double t = 0; t < 4 * p.slowRise + 4 * p.fastRise + 64; t += 1.0)
      if (Lanes(context, p, second, t) & (1u << trigger)) {
        triggerAt = t;
        break;
      }
  }
  const double sigma = NoiseSigma(signal);
  TraceBlock block{};
  for (std::size_t k = 0; k < kTracePoints; ++k) {
    const double t = (static_cast<double>(k) - delay) * step + triggerAt;
    double value = Analog(signal, p, t) + (second.present ? Analog(signal, second, t) : 0.0) + sigma * random.Normal();
    if (invert) value = -value;
    block[2 * k] = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(std::clamp(value, -32768.0, 32767.0))));
    block[2 * k + 1] = Lanes(context, p, second, t);
  }
  return block;
}

}  // namespace kvetral
