#include "display/CountingStatistics.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "display/PeakAnalysis.h"
#include "display/PeakResult.h"
#include "display/ScaledBackground.h"
#include "records/SpectrumRecord.h"

namespace mirvo {

namespace {

constexpr double kFwhmPerSigma = 2.3548200450309493;  // 2 sqrt(2 ln 2)

// The weights of the channels first-1 .. last+1 in the area, and of the six end channels in the
// continuum, with the same edge rules as AnalysePeak (a missing neighbour is replaced by the end
// channel itself).
struct AreaWeights {
  int from = 0;                    // channel of weights[0]
  std::vector<double> area;        // w_i: 1 inside minus the continuum's share
  std::vector<double> continuum;   // the continuum's weights (all of them n/6 per use)
};

AreaWeights WeightsFor(int softSize, int first, int last) {
  AreaWeights w;
  w.from = std::max(first - 1, 0);
  const int to = std::min(last + 1, softSize - 1);
  w.area.assign(static_cast<std::size_t>(to - w.from + 1), 0.0);
  w.continuum.assign(w.area.size(), 0.0);
  const double share = (last - first + 1) / 6.0;
  const auto add = [&w, share](int channel) { w.continuum[static_cast<std::size_t>(channel - w.from)] += share; };
  add(first == 0 ? first : first - 1);
  add(first);
  add(first == softSize - 1 ? first : first + 1);
  add(last == 0 ? last : last - 1);
  add(last);
  add(last == softSize - 1 ? last : last + 1);
  for (std::size_t k = 0; k < w.area.size(); ++k) {
    const int channel = w.from + static_cast<int>(k);
    w.area[k] = (channel >= first && channel <= last ? 1.0 : 0.0) - w.continuum[k];
  }
  return w;
}

}  // namespace

CountingStatistics ComputeCountingStatistics(const std::uint32_t* counts, int softSize, int first, int last,
                                             const ScaledBackground* background, const PeakResult* peak,
                                             bool peakFound) {
  CountingStatistics s;
  if (counts == nullptr || first < 0 || last >= softSize || softSize > kMaxChannels || last - first < 2) return s;
  if (background != nullptr && static_cast<int>(background->counts.size()) < softSize) return s;
  const auto c = [counts](int i) { return static_cast<double>(counts[i]); };
  const AreaWeights w = WeightsFor(softSize, first, last);

  double areaVariance = 0.0;
  double continuumVariance = 0.0;
  for (std::size_t k = 0; k < w.area.size(); ++k) {
    const double n = c(w.from + static_cast<int>(k));
    s.area += w.area[k] * n;
    s.continuum += w.continuum[k] * n;
    areaVariance += w.area[k] * w.area[k] * n;
    continuumVariance += w.continuum[k] * w.continuum[k] * n;
  }
  for (int i = first; i <= last; ++i) s.integral += c(i);
  s.integralSigma = std::sqrt(s.integral);
  s.areaSigma = std::sqrt(areaVariance);
  s.continuumSigma = std::sqrt(continuumVariance);

  // The counts each channel would hold if the ROI had no peak of its own: the continuum line inside
  // the ROI (plus the background's scaled peak), the observed counts at the outer end channels.
  const ContinuumLine line = ContinuumUnder(c, softSize, first, last);
  ContinuumLine backgroundLine;
  double scale = 0.0;
  const auto b = [background](int i) { return background->counts[static_cast<std::size_t>(i)]; };
  if (background != nullptr) {
    s.hasBackground = true;
    scale = background->scale;
    backgroundLine = ContinuumUnder(b, softSize, first, last);
  }
  double nullVariance = 0.0;
  double backgroundVariance = 0.0;
  double backgroundIntegral = 0.0;
  for (std::size_t k = 0; k < w.area.size(); ++k) {
    const int i = w.from + static_cast<int>(k);
    const bool inside = i >= first && i <= last;
    double expected = inside ? line.At(first, i) : c(i);
    if (background != nullptr) {
      if (inside) expected += scale * (b(i) - backgroundLine.At(first, i));
      s.backgroundArea += scale * w.area[k] * b(i);
      backgroundVariance += w.area[k] * w.area[k] * b(i);
      if (inside) backgroundIntegral += b(i);
    }
    nullVariance += w.area[k] * w.area[k] * std::max(expected, 0.0);
  }
  if (background != nullptr) {
    s.netArea = s.area - s.backgroundArea;
    s.netAreaSigma = std::sqrt(areaVariance + scale * scale * backgroundVariance);
    s.netIntegral = s.integral - scale * backgroundIntegral;
    s.netIntegralSigma = std::sqrt(s.integral + scale * scale * backgroundIntegral);
    nullVariance += scale * scale * backgroundVariance;
  }
  s.sigma0 = std::sqrt(nullVariance);
  s.criticalLevel = kCurrieK * s.sigma0;
  s.detectionLimit = kCurrieK * kCurrieK + 2.0 * s.criticalLevel;
  s.aboveCritical = s.TestedArea() > s.criticalLevel;
  if (peakFound && peak != nullptr && s.TestedArea() > 0.0 && peak->fwhm > 0.0) {
    s.centroidSigma = peak->fwhm / (kFwhmPerSigma * std::sqrt(s.TestedArea()));
  }
  s.valid = true;
  return s;
}

}  // namespace mirvo
