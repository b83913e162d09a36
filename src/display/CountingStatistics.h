// One-sigma counting uncertainties of a ROI's integral and area, the net area after a scaled
// background, Currie's critical level and detection limit of the area, and the centroid's
// uncertainty. The area is the one AnalysePeak gives: the gross counts minus a straight continuum
// through the three-channel averages at the ROI's two ends, so that
//   area = sum(w_i * c_i),   var(area) = sum(w_i^2 * c_i)
// with w_i = 1 inside the ROI and -n/6 for each of the six end channels (n channels in the ROI).
#pragma once

#include <cstdint>

namespace mirvo {

struct PeakResult;
struct ScaledBackground;

// One-sided 95 % quantile of the normal distribution: the false-positive and false-negative risks
// of the critical level and the detection limit.
inline constexpr double kCurrieK = 1.6448536269514722;

struct CountingStatistics {
  bool valid = false;             // false for fewer than three channels or a range off the spectrum
  double integral = 0.0;          // gross counts of the ROI
  double integralSigma = 0.0;     // sqrt(gross)
  double continuum = 0.0;         // the continuum under the peak that the area subtracts
  double continuumSigma = 0.0;
  double area = 0.0;              // integral - continuum (not clamped at zero)
  double areaSigma = 0.0;

  bool hasBackground = false;     // the fields below are set only with a background
  double backgroundArea = 0.0;    // scale * (the background's own area on the same ROI)
  double netIntegral = 0.0;       // integral - scale * background integral
  double netIntegralSigma = 0.0;
  double netArea = 0.0;           // area - backgroundArea: the area of the net spectrum
  double netAreaSigma = 0.0;

  // Currie: sigma0 is the standard deviation of the (net) area when the ROI holds nothing but the
  // continuum (and, with a background, the background's scaled peak); LC = k * sigma0 and
  // LD = k^2 + 2 * LC, k = kCurrieK.
  double sigma0 = 0.0;
  double criticalLevel = 0.0;
  double detectionLimit = 0.0;
  bool aboveCritical = false;     // the (net) area exceeds LC

  // FWHM / (2.3548 * sqrt(area)) in channels: the standard error of the mean of a Gaussian of the
  // peak's width holding `area` counts. 0 when there is no peak or no positive area.
  double centroidSigma = 0.0;

  // The area the limits refer to: the net area with a background, the area without.
  double TestedArea() const { return hasBackground ? netArea : area; }
};

// counts: soft counts, softSize of them; first..last: the ROI in soft channels. background (may be
// null) holds unscaled counts on the same soft channels. peak (may be null): AnalysePeak's result for
// the centroid's uncertainty, used when peakFound.
CountingStatistics ComputeCountingStatistics(const std::uint32_t* counts, int softSize, int first, int last,
                                             const ScaledBackground* background = nullptr,
                                             const PeakResult* peak = nullptr, bool peakFound = false);

}  // namespace mirvo
