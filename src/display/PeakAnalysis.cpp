#include "display/PeakAnalysis.h"

#include <algorithm>
#include <cmath>

#include "base/TextFormat.h"
#include "display/SpectrumPlot.h"
#include "protocol/RegisterImage.h"

namespace mirvo {

namespace {

struct Baseline : ContinuumLine {
  double Net(const std::uint32_t* counts, int first, int i) const { return static_cast<double>(counts[i]) - At(first, i); }
};

// Right crossing of a level: the first channel from the peak on whose net count is below it,
// interpolated with the channel before; the range's last channel when none is.
double RightCrossing(const std::uint32_t* counts, const Baseline& base, int first, int last, int peak, double level) {
  for (int j = peak; j <= last; ++j) {
    const double net = base.Net(counts, first, j);
    if (net < level) {
      if (j == first) return j;
      const double before = base.Net(counts, first, j - 1);
      return before == net ? j : j - (level - net) / (before - net);
    }
  }
  return last;
}

double LeftCrossing(const std::uint32_t* counts, const Baseline& base, int first, int last, int peak, double level) {
  for (int j = peak; j >= first; --j) {
    const double net = base.Net(counts, first, j);
    if (net < level) {
      if (j == last) return j;
      const double after = base.Net(counts, first, j + 1);
      return after == net ? j : j + (level - net) / (after - net);
    }
  }
  return first;
}

}  // namespace

int AnalysePeak(const std::uint32_t* c, int softSize, int first, int last, PeakResult& result) {
  // A range off the spectrum (a stored FOM range may hold anything) gives no analysis either.
  if (c == nullptr || first < 0 || last >= softSize || softSize > kMaxChannels) return kPeakNone;
  if (last - first < 2) return kPeakNone;
  const int left = first, right = last;
  const auto at = [c](int i) { return static_cast<double>(c[i]); };
  Baseline base;
  static_cast<ContinuumLine&>(base) = ContinuumUnder(at, softSize, left, right);

  PeakResult r;
  double maximum = 0.0;
  int peak = left;
  for (int i = left; i <= right; ++i) {
    r.integral += at(i);
    const double net = base.Net(c, left, i);
    r.area += net;
    if (net >= maximum) {
      maximum = net;
      peak = i;
    }
  }
  if (maximum <= 2.0) {
    result.integral = r.integral;
    result.area = r.area;
    result.centroid = 0.0;
    return kPeakFlat;
  }
  const double half = maximum / 2.0;
  r.halfRight = RightCrossing(c, base, left, right, peak, half);
  r.halfLeft = LeftCrossing(c, base, left, right, peak, half);
  r.fwhm = r.halfRight - r.halfLeft;
  r.centroid = r.halfRight - r.fwhm / 2.0;
  const double tenth = maximum / 10.0;
  r.tenthRight = RightCrossing(c, base, left, right, peak, tenth);
  r.tenthLeft = LeftCrossing(c, base, left, right, peak, tenth);
  r.fwtm = r.tenthRight - r.tenthLeft;
  result = r;
  return kPeakFound;
}

int AnalysePeak(const SpectrumPlot& plot, int first, int last, PeakResult& result) {
  return AnalysePeak(plot.Record().softCounts, plot.SoftSize(), first, last, result);
}

FomResult ComputeFom(const SpectrumPlot& s0Plot) {
  FomResult fom;
  fom.text = kBlankValue;
  const CalibrationRecord& stored = s0Plot.Record().stored;
  const int f = std::max(s0Plot.Factor(), 1);
  if (AnalysePeak(s0Plot, stored.fomPeak1First / f, stored.fomPeak1Last / f, fom.peak1) != kPeakFound) return fom;
  if (AnalysePeak(s0Plot, stored.fomPeak2First / f, stored.fomPeak2Last / f, fom.peak2) != kPeakFound) return fom;
  const double widths = fom.peak1.fwhm + fom.peak2.fwhm;
  if (!(widths > 0.0)) return fom;
  fom.fom = std::fabs(fom.peak2.centroid - fom.peak1.centroid) / widths;
  fom.text = FormatText("%5.2f", fom.fom);
  fom.status = 0;
  return fom;
}

CountingRates ComputeRates(const RegisterImage& registers, double samplePeriodMicroseconds) {
  CountingRates rates;
  const double t = samplePeriodMicroseconds * 0.002048;  // 2048 sample periods, in seconds
  if (!(t > 0.0) || !std::isfinite(t)) return rates;
  const double m = registers.Get(0x2E) != 0 ? registers.Get(0x2C) / (registers.Get(0x2E) * t) : 0.0;
  const double k = registers.Get(0x2F) != 0 ? registers.Get(0x2D) / (registers.Get(0x2F) * t) : 0.0;
  const double incoming = std::max(m, k);
  const auto truncate = [](double value) {
    return value >= 9.0e18 ? static_cast<std::int64_t>(9.0e18) : static_cast<std::int64_t>(value);
  };
  rates.throughput = truncate(m);
  rates.incoming = truncate(incoming);
  rates.lossesPercent = incoming > 5.0 ? static_cast<int>((incoming - m) * 100.0 / incoming) : 0;
  return rates;
}

}  // namespace mirvo
