#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "display/PeakFit.h"

namespace mirvo {
namespace {

constexpr double kFwhmPerSigma = 2.3548200450309493;

struct Synthetic {
  double area;
  double centroid;
  double fwhm;
  double level;  // continuum per channel at the centroid
  double slope;  // per channel
  double step;   // continuum height added left of the centroid
};

// Poisson counts of a Gaussian (integrated over each channel) on a linear continuum with a step.
std::vector<std::uint32_t> Make(const Synthetic& s, int size, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint32_t> counts(static_cast<std::size_t>(size));
  const double sigma = s.fwhm / kFwhmPerSigma;
  const auto phi = [](double u) { return 0.5 * std::erfc(-u / std::sqrt(2.0)); };
  for (int i = 0; i < size; ++i) {
    const double peak = s.area * (phi((i + 0.5 - s.centroid) / sigma) - phi((i - 0.5 - s.centroid) / sigma));
    const double continuum = s.level + s.slope * (i - s.centroid) + s.step * (1.0 - phi((i - s.centroid) / sigma));
    const double mean = std::max(peak + continuum, 0.0);
    counts[static_cast<std::size_t>(i)] =
        mean > 0.0 ? static_cast<std::uint32_t>(std::poisson_distribution<int>(mean)(random)) : 0u;
  }
  return counts;
}

TEST(PeakFit, RecoversCentroidAndFwhmFromStrongToWeakPeaks) {
  struct Case {
    const char* name;
    Synthetic peak;
    int first, last;
  };
  const Case cases[] = {
      {"strong, narrow", {200000, 400.3, 8.0, 100, 0.0, 0.0}, 380, 420},
      {"strong on a slope", {50000, 1200.7, 24.0, 400, -1.5, 0.0}, 1150, 1250},
      {"medium, wide", {8000, 2000.0, 60.0, 50, 0.0, 0.0}, 1880, 2120},
      {"weak, wide (Co-60 like)", {1500, 2600.4, 60.0, 10, -0.02, 0.0}, 2480, 2720},
      {"weak, narrow", {300, 500.2, 6.0, 20, 0.0, 0.0}, 485, 515},
      {"step under the peak", {30000, 900.0, 12.0, 200, 0.0, 150.0}, 860, 940},
  };
  for (const Case& c : cases) {
    for (unsigned seed : {1u, 2u, 3u}) {
      const auto counts = Make(c.peak, 4096, seed);
      const PeakFitResult r = FitPeak(counts.data(), 4096, c.first, c.last);
      SCOPED_TRACE(std::string(c.name) + " seed " + std::to_string(seed));
      ASSERT_TRUE(r.fitted);
      EXPECT_EQ(r.flags, 0u) << FitFlagsText(r.flags) << " chi2/ndf " << r.reducedChiSquare;
      EXPECT_GT(r.centroidSigma, 0.0);
      EXPECT_GT(r.fwhmSigma, 0.0);
      EXPECT_GT(r.areaSigma, 0.0);
      // 3.5 standard uncertainties: with 54 fits a 3-sigma bound would be crossed by chance.
      EXPECT_NEAR(r.centroid, c.peak.centroid, 3.5 * r.centroidSigma);
      EXPECT_NEAR(r.fwhm, c.peak.fwhm, 3.5 * r.fwhmSigma);
      EXPECT_NEAR(r.area, c.peak.area, 3.5 * r.areaSigma);
      EXPECT_EQ(r.ndf, c.last - c.first + 1 - (r.continuum == FitContinuum::kStep ? 6 : 5));
    }
  }
}

TEST(PeakFit, ChoosesTheStepContinuumWhenThereIsAStep) {
  const auto counts = Make({100000, 900.0, 12.0, 200, 0.0, 800.0}, 4096, 11);
  const PeakFitResult r = FitPeak(counts.data(), 4096, 860, 940);
  EXPECT_EQ(r.continuum, FitContinuum::kStep);
  EXPECT_EQ(r.flags, 0u) << FitFlagsText(r.flags);
}

TEST(PeakFit, FlagsARoiHoldingNoPeak) {
  for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
    const auto flat = Make({0, 500.0, 10.0, 30, 0.0, 0.0}, 4096, seed);
    const PeakFitResult r = FitPeak(flat.data(), 4096, 450, 550);
    EXPECT_TRUE(r.Poor()) << "seed " << seed << " area " << r.area << " +- " << r.areaSigma;
  }
  const std::vector<std::uint32_t> zeros(4096, 0);
  EXPECT_TRUE(FitPeak(zeros.data(), 4096, 100, 200).Poor());
}

TEST(PeakFit, FlagsAWrongModelAndTooNarrowARoi) {
  // Two resolved peaks in one ROI: one Gaussian cannot describe them.
  auto counts = Make({50000, 1000.0, 8.0, 50, 0.0, 0.0}, 4096, 3);
  const auto second = Make({50000, 1030.0, 8.0, 0, 0.0, 0.0}, 4096, 4);
  for (std::size_t i = 0; i < counts.size(); ++i) counts[i] += second[i];
  EXPECT_NE(FitPeak(counts.data(), 4096, 980, 1050).flags & kPeakFitPoorChiSquare, 0u);

  const PeakFitResult narrow = FitPeak(counts.data(), 4096, 998, 1003);
  EXPECT_FALSE(narrow.fitted);
  EXPECT_EQ(narrow.flags, kPeakFitTooFewChannels);
  EXPECT_EQ(FitPeak(counts.data(), 4096, 4090, 4096).flags, kPeakFitTooFewChannels);
}

TEST(PeakFit, FlagWords) {
  EXPECT_EQ(FitFlagsText(0), "");
  EXPECT_EQ(FitFlagsText(kPeakFitNoConvergence | kPeakFitNotSignificant), "no convergence, area not significant");
  EXPECT_STREQ(FitContinuumName(FitContinuum::kStep), "step");
}

}  // namespace
}  // namespace mirvo
