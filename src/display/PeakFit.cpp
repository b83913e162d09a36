#include "display/PeakFit.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "records/SpectrumRecord.h"

namespace mirvo {

namespace {

constexpr double kFwhmPerSigma = 2.3548200450309493;  // 2 sqrt(2 ln 2)
constexpr double kInvSqrt2Pi = 0.3989422804014327;
constexpr double kInvSqrt2 = 0.7071067811865476;

// Parameters: area, centroid, ln(sigma), continuum at the ROI's middle, its slope, and for the step
// model the step's height. ln(sigma) keeps the width positive.
enum Param : std::size_t { kArea, kCentroid, kLnSigma, kLevel, kSlope, kStep };

struct FitData {
  std::vector<double> x;  // channel centres
  std::vector<double> y;  // counts
  double middle = 0.0;
  bool step = false;
};

double Phi(double u) { return 0.5 * std::erfc(-u * kInvSqrt2); }
double Density(double u) { return kInvSqrt2Pi * std::exp(-0.5 * u * u); }

// The model in channel i and, when jacobianRow is given, its derivatives.
double Model(const FitData& d, const gsl_vector* p, std::size_t i, double* jacobianRow) {
  const double area = gsl_vector_get(p, kArea);
  const double mu = gsl_vector_get(p, kCentroid);
  const double sigma = std::exp(std::clamp(gsl_vector_get(p, kLnSigma), -20.0, 20.0));
  const double x = d.x[i];
  const double lo = (x - 0.5 - mu) / sigma;
  const double hi = (x + 0.5 - mu) / sigma;
  const double share = Phi(hi) - Phi(lo);
  double value = area * share + gsl_vector_get(p, kLevel) + gsl_vector_get(p, kSlope) * (x - d.middle);
  const double t = (x - mu) / sigma;
  if (d.step) value += gsl_vector_get(p, kStep) * (1.0 - Phi(t));
  if (jacobianRow != nullptr) {
    jacobianRow[kArea] = share;
    jacobianRow[kCentroid] = area * (Density(lo) - Density(hi)) / sigma;
    jacobianRow[kLnSigma] = area * (Density(lo) * lo - Density(hi) * hi);
    jacobianRow[kLevel] = 1.0;
    jacobianRow[kSlope] = x - d.middle;
    if (d.step) {
      const double h = gsl_vector_get(p, kStep);
      jacobianRow[kCentroid] += h * Density(t) / sigma;
      jacobianRow[kLnSigma] += h * Density(t) * t;
      jacobianRow[kStep] = 1.0 - Phi(t);
    }
  }
  return value;
}

int Residuals(const gsl_vector* p, void* data, gsl_vector* f) {
  const auto& d = *static_cast<const FitData*>(data);
  for (std::size_t i = 0; i < d.x.size(); ++i) gsl_vector_set(f, i, Model(d, p, i, nullptr) - d.y[i]);
  return GSL_SUCCESS;
}

int Jacobian(const gsl_vector* p, void* data, gsl_matrix* jacobian) {
  const auto& d = *static_cast<const FitData*>(data);
  std::array<double, 6> row{};
  for (std::size_t i = 0; i < d.x.size(); ++i) {
    Model(d, p, i, row.data());
    for (std::size_t k = 0; k < jacobian->size2; ++k) gsl_matrix_set(jacobian, i, k, row[k]);
  }
  return GSL_SUCCESS;
}

struct WorkspaceDeleter {
  void operator()(gsl_multifit_nlinear_workspace* w) const { gsl_multifit_nlinear_free(w); }
};
struct MatrixDeleter {
  void operator()(gsl_matrix* m) const { gsl_matrix_free(m); }
};
struct VectorDeleter {
  void operator()(gsl_vector* v) const { gsl_vector_free(v); }
};

struct Start {
  double area = 0.0;
  double centroid = 0.0;
  double sigma = 1.0;
  double level = 0.0;
  double slope = 0.0;
};

// The starting point: a line through the three-channel averages at the ends, the highest channel
// above it, and the width from the net counts and that height.
Start StartOf(const FitData& d) {
  const std::size_t n = d.y.size();
  const double left = (d.y[0] + d.y[1] + d.y[2]) / 3.0;
  const double right = (d.y[n - 3] + d.y[n - 2] + d.y[n - 1]) / 3.0;
  Start s;
  s.slope = (right - left) / static_cast<double>(n - 3);
  s.level = left + s.slope * (d.middle - d.x[1]);
  double height = 0.0;
  double net = 0.0;
  s.centroid = d.middle;
  for (std::size_t i = 0; i < n; ++i) {
    const double above = d.y[i] - (s.level + s.slope * (d.x[i] - d.middle));
    net += above;
    if (above > height) {
      height = above;
      s.centroid = d.x[i];
    }
  }
  s.area = std::max(net, 1.0);
  const double sigma = height > 0.0 ? net * kInvSqrt2Pi / height : 1.0;
  s.sigma = std::clamp(std::isfinite(sigma) ? sigma : 1.0, 0.5, static_cast<double>(n) / 4.0);
  return s;
}

PeakFitResult FitModel(const FitData& d, const Start& start) {
  PeakFitResult r;
  r.continuum = d.step ? FitContinuum::kStep : FitContinuum::kLinear;
  const std::size_t n = d.y.size();
  const std::size_t p = d.step ? 6 : 5;
  gsl_multifit_nlinear_fdf fdf{};
  fdf.f = Residuals;
  fdf.df = Jacobian;
  fdf.fvv = nullptr;
  fdf.n = n;
  fdf.p = p;
  fdf.params = const_cast<FitData*>(&d);
  gsl_multifit_nlinear_parameters parameters = gsl_multifit_nlinear_default_parameters();
  parameters.trs = gsl_multifit_nlinear_trs_lm;
  std::unique_ptr<gsl_multifit_nlinear_workspace, WorkspaceDeleter> work(
      gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &parameters, n, p));
  std::unique_ptr<gsl_vector, VectorDeleter> x(gsl_vector_alloc(p));
  std::unique_ptr<gsl_vector, VectorDeleter> weights(gsl_vector_alloc(n));
  std::unique_ptr<gsl_matrix, MatrixDeleter> covariance(gsl_matrix_alloc(p, p));
  if (!work || !x || !weights || !covariance) {
    r.flags |= kPeakFitNoConvergence;
    return r;
  }
  gsl_vector_set(x.get(), kArea, start.area);
  gsl_vector_set(x.get(), kCentroid, start.centroid);
  gsl_vector_set(x.get(), kLnSigma, std::log(start.sigma));
  gsl_vector_set(x.get(), kLevel, start.level);
  gsl_vector_set(x.get(), kSlope, start.slope);
  if (d.step) gsl_vector_set(x.get(), kStep, 0.0);
  for (std::size_t i = 0; i < n; ++i) gsl_vector_set(weights.get(), i, 1.0 / std::max(d.y[i], 1.0));

  gsl_multifit_nlinear_winit(x.get(), weights.get(), &fdf, work.get());
  int info = 0;
  const int status = gsl_multifit_nlinear_driver(200, 1e-8, 1e-8, 0.0, nullptr, nullptr, &info, work.get());
  r.iterations = static_cast<int>(gsl_multifit_nlinear_niter(work.get()));
  const gsl_vector* best = gsl_multifit_nlinear_position(work.get());
  double chi = 0.0;
  chi = gsl_blas_dnrm2(gsl_multifit_nlinear_residual(work.get()));
  r.chiSquare = chi * chi;
  r.ndf = static_cast<int>(n - p);
  r.reducedChiSquare = r.chiSquare / r.ndf;
  const int covarianceStatus = gsl_multifit_nlinear_covar(gsl_multifit_nlinear_jac(work.get()), 0.0, covariance.get());
  const double sigma = std::exp(gsl_vector_get(best, kLnSigma));
  r.area = gsl_vector_get(best, kArea);
  r.centroid = gsl_vector_get(best, kCentroid);
  r.fwhm = kFwhmPerSigma * sigma;
  const double inflate = std::max(r.reducedChiSquare, 1.0);
  const auto error = [&](Param k) { return std::sqrt(std::max(gsl_matrix_get(covariance.get(), k, k), 0.0) * inflate); };
  r.areaSigma = error(kArea);
  r.centroidSigma = error(kCentroid);
  r.fwhmSigma = r.fwhm * error(kLnSigma);
  const bool finite = std::isfinite(r.area) && std::isfinite(r.centroid) && std::isfinite(r.fwhm) &&
                      std::isfinite(r.chiSquare) && std::isfinite(r.areaSigma) &&
                      std::isfinite(r.centroidSigma) && std::isfinite(r.fwhmSigma);
  if (status != GSL_SUCCESS || covarianceStatus != GSL_SUCCESS || !finite) r.flags |= kPeakFitNoConvergence;
  r.fitted = finite;
  return r;
}

// Flags a fit's result against the ROI first..last.
void Judge(PeakFitResult& r, int first, int last) {
  if (r.reducedChiSquare > 1.0 + 3.0 * std::sqrt(2.0 / std::max(r.ndf, 1))) r.flags |= kPeakFitPoorChiSquare;
  if (r.fwhm < 0.5 || r.fwhm > last - first + 1) r.flags |= kPeakFitWidthOutside;
  if (r.centroid < first - 0.5 || r.centroid > last + 0.5) r.flags |= kPeakFitCentroidOutside;
  if (!(r.area > 3.0 * r.areaSigma)) r.flags |= kPeakFitNotSignificant;
}

// Whether the step fit replaces the linear one: a fit that converged beats one that did not; then
// the step must give the smaller reduced chi-square and lower the chi-square by at least 4 (two
// standard deviations of the one parameter it adds), so that noise does not buy a step.
bool StepIsBetter(const PeakFitResult& step, const PeakFitResult& linear) {
  const bool stepConverged = step.fitted && (step.flags & kPeakFitNoConvergence) == 0;
  const bool linearConverged = linear.fitted && (linear.flags & kPeakFitNoConvergence) == 0;
  if (stepConverged != linearConverged) return stepConverged;
  return step.reducedChiSquare < linear.reducedChiSquare && step.chiSquare < linear.chiSquare - 4.0;
}

}  // namespace

PeakFitResult FitPeak(const std::uint32_t* counts, int softSize, int first, int last) {
  // GSL's default handler aborts the program; every status is checked here instead.
  static const gsl_error_handler_t* const previous = gsl_set_error_handler_off();
  (void)previous;
  PeakFitResult none;
  none.flags = kPeakFitTooFewChannels;
  if (counts == nullptr || first < 0 || last >= softSize || softSize > kMaxChannels || last - first + 1 < 7) return none;
  FitData d;
  for (int i = first; i <= last; ++i) {
    d.x.push_back(i);
    d.y.push_back(counts[i]);
  }
  d.middle = (first + last) / 2.0;
  const Start start = StartOf(d);
  PeakFitResult best = FitModel(d, start);
  if (last - first + 1 >= 8) {
    d.step = true;
    PeakFitResult step = FitModel(d, start);
    if (StepIsBetter(step, best)) best = step;
  }
  Judge(best, first, last);
  return best;
}

const char* FitContinuumName(FitContinuum continuum) { return continuum == FitContinuum::kStep ? "step" : "linear"; }

std::string FitFlagsText(unsigned flags) {
  static constexpr std::array<std::pair<unsigned, const char*>, 6> kWords = {{
      {kPeakFitTooFewChannels, "too few channels"},
      {kPeakFitNoConvergence, "no convergence"},
      {kPeakFitPoorChiSquare, "chi2/ndf high"},
      {kPeakFitWidthOutside, "width outside the ROI"},
      {kPeakFitCentroidOutside, "centroid outside the ROI"},
      {kPeakFitNotSignificant, "area not significant"},
  }};
  std::string text;
  for (const auto& [bit, word] : kWords) {
    if ((flags & bit) == 0) continue;
    if (!text.empty()) text.append(", ");
    text.append(word);
  }
  return text;
}

}  // namespace mirvo
