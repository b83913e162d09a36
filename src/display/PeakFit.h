// A least-squares fit of a ROI: a Gaussian (integrated over each channel) on a linear continuum, and
// the same on a continuum with a step at the peak (an erfc falling from left to right with the
// peak's width). Both are fitted when the ROI is wide enough; the step is kept when it gives the
// smaller reduced chi-square and lowers the chi-square by at least 4. Weights are Poisson: the variance of a channel is max(counts, 1). The
// optimiser is GSL's trust-region Levenberg-Marquardt (gsl_multifit_nlinear).
#pragma once

#include <cstdint>
#include <string>

namespace mirvo {

enum class FitContinuum { kLinear, kStep };

// Why a fit is poor (bits of PeakFitResult::flags).
inline constexpr unsigned kPeakFitTooFewChannels = 1u << 0;  // fewer channels than the model needs + 2
inline constexpr unsigned kPeakFitNoConvergence = 1u << 1;   // the optimiser did not converge
inline constexpr unsigned kPeakFitPoorChiSquare = 1u << 2;   // chi2/ndf more than 3 sd of chi2 above 1
inline constexpr unsigned kPeakFitWidthOutside = 1u << 3;    // FWHM under half a channel or wider than the ROI
inline constexpr unsigned kPeakFitCentroidOutside = 1u << 4; // centroid outside the ROI
inline constexpr unsigned kPeakFitNotSignificant = 1u << 5;  // area less than 3 times its uncertainty

struct PeakFitResult {
  bool fitted = false;  // the numbers below come from a fit (it may still be poor)
  FitContinuum continuum = FitContinuum::kLinear;
  double centroid = 0.0;  // channels
  double centroidSigma = 0.0;
  double fwhm = 0.0;      // channels
  double fwhmSigma = 0.0;
  double area = 0.0;      // counts of the Gaussian
  double areaSigma = 0.0;
  double chiSquare = 0.0;
  int ndf = 0;
  double reducedChiSquare = 0.0;
  int iterations = 0;
  unsigned flags = 0;

  bool Poor() const { return flags != 0; }
};

// counts: soft counts, softSize of them; first..last: the ROI in soft channels. The uncertainties
// come from the covariance of the fit, scaled by the reduced chi-square when that exceeds 1.
PeakFitResult FitPeak(const std::uint32_t* counts, int softSize, int first, int last);

// "linear" or "step".
const char* FitContinuumName(FitContinuum continuum);
// The flags as words ("no convergence, chi2/ndf high"), "" for none.
std::string FitFlagsText(unsigned flags);

}  // namespace mirvo
