// Peak statistics over a range of soft channels (AnalysePeak), the figure of merit of the two
// FOM peaks of S0 (ComputeFom), and the counting rates with the losses bar.
#pragma once

#include <cstdint>
#include <string>

#include "display/PeakResult.h"

namespace mirvo {

class SpectrumPlot;
class RegisterImage;

inline constexpr const char* kBlankValue = "-----------";

// Results of AnalysePeak.
constexpr int kPeakNone = 0;      // fewer than three channels (or a range off the spectrum): result unchanged
constexpr int kPeakFound = 1;     // every field valid
constexpr int kPeakFlat = 2;      // no significant peak: only integral and area are valid, centroid 0

// The straight continuum AnalysePeak draws under a range first..last: from the mean of the three
// channels around `first` to the mean of the three around `last` (an end channel of the spectrum
// stands in for its missing neighbour). `at(i)` gives channel i's counts.
struct ContinuumLine {
  double left = 0.0;
  double slope = 0.0;
  double At(int first, int i) const { return left + (i - first) * slope; }
};
template <typename Get>
ContinuumLine ContinuumUnder(const Get& at, int softSize, int first, int last) {
  const double beforeLeft = first == 0 ? at(first) : at(first - 1);
  const double afterLeft = first == softSize - 1 ? at(first) : at(first + 1);
  const double beforeRight = last == 0 ? at(last) : at(last - 1);
  const double afterRight = last == softSize - 1 ? at(last) : at(last + 1);
  ContinuumLine line;
  line.left = (beforeLeft + at(first) + afterLeft) / 3.0;
  line.slope = ((beforeRight + at(last) + afterRight) / 3.0 - line.left) / (last - first);
  return line;
}

// counts: soft counts, softSize of them valid; first..last: the range in soft channels. A crossing
// that is not found inside the range is taken at the range's edge.
int AnalysePeak(const std::uint32_t* counts, int softSize, int first, int last, PeakResult& result);
int AnalysePeak(const SpectrumPlot& plot, int first, int last, PeakResult& result);

struct FomResult {
  int status = -1;   // 0 computed, -1 blank
  double fom = 0.0;
  PeakResult peak1;
  PeakResult peak2;
  std::string text;  // "%5.2f" of the FOM, or "-----------"
};
// The FOM on S0's active plot with its FOM ranges (stored calibration, hard channels) divided by
// its factor. Positions and widths in channels.
FomResult ComputeFom(const SpectrumPlot& s0Plot);

struct CountingRates {
  std::int64_t throughput = 0;  // cps
  std::int64_t incoming = 0;    // cps
  int lossesPercent = 0;        // losses bar position, 0..100
};
// Rates from registers 0x2C..0x2F of a register image; samplePeriodMicroseconds is the sample
// clock period (0.008 by default). A period that is not positive gives rates of 0.
CountingRates ComputeRates(const RegisterImage& registers, double samplePeriodMicroseconds);

}  // namespace mirvo
