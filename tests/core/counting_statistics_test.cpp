#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "display/CountingStatistics.h"
#include "display/PeakAnalysis.h"
#include "display/ScaledBackground.h"
#include "display/SpectrumPlot.h"

namespace mirvo {
namespace {

constexpr double kK = kCurrieK;

std::vector<std::uint32_t> Flat(std::uint32_t level, int size = 256) {
  return std::vector<std::uint32_t>(static_cast<std::size_t>(size), level);
}

// Sum of squared area weights of an n-channel ROI whose six end channels are distinct: n - 4 inner
// channels of weight 1, four end channels inside of weight 1 - n/6, two outside of weight -n/6.
double WeightSquares(int n) {
  const double share = n / 6.0;
  return (n - 4) + 4 * (1 - share) * (1 - share) + 2 * share * share;
}

TEST(CountingStatistics, FlatContinuumByHand) {
  // Twelve channels of 100 counts: sum of w^2 = 8 + 4 * 1 + 2 * 4 = 20.
  ASSERT_DOUBLE_EQ(WeightSquares(12), 20.0);
  const auto counts = Flat(100);
  const CountingStatistics s = ComputeCountingStatistics(counts.data(), 256, 100, 111);
  ASSERT_TRUE(s.valid);
  EXPECT_DOUBLE_EQ(s.integral, 1200.0);
  EXPECT_DOUBLE_EQ(s.integralSigma, std::sqrt(1200.0));
  EXPECT_NEAR(s.continuum, 1200.0, 1e-9);
  EXPECT_NEAR(s.continuumSigma, std::sqrt(6 * 2.0 * 2.0 * 100), 1e-9);
  EXPECT_NEAR(s.area, 0.0, 1e-9);
  EXPECT_NEAR(s.areaSigma, std::sqrt(2000.0), 1e-9);
  EXPECT_NEAR(s.sigma0, std::sqrt(2000.0), 1e-9);
  EXPECT_NEAR(s.criticalLevel, 73.5601, 1e-3);
  EXPECT_NEAR(s.detectionLimit, 149.8257, 1e-3);
  EXPECT_FALSE(s.aboveCritical);
  EXPECT_FALSE(s.hasBackground);
  EXPECT_EQ(s.centroidSigma, 0.0);
}

TEST(CountingStatistics, AreaUncertaintyOfSmallRoisByHand) {
  // Every channel 36 counts; variance = 36 * sum of w^2 with the weights worked out per case.
  struct Case {
    const char* name;
    int first, last;
    double weightSquares;
  };
  const Case cases[] = {
      // n = 5: ends 9,10,11,13,14,15 at 5/6; w = -5/6, 1/6, 1/6, 1, 1/6, 1/6, -5/6.
      {"five channels", 10, 14, 2 * 25 / 36.0 + 4 / 36.0 + 1.0},
      // n = 3: channel 11 is an end channel of both ends (w = 1 - 1 = 0); w = -1/2, 1/2, 0, 1/2, -1/2.
      {"three channels, shared end", 10, 12, 1.0},
      // At channel 0 the missing left neighbour is channel 0 again: w0 = 1 - 2/2 = 0, w1 = 0, w2 = 1/2,
      // w3 = -1/2.
      {"spectrum start", 0, 2, 0.5},
      {"twenty channels", 50, 69, WeightSquares(20)},
  };
  const auto counts = Flat(36);
  for (const Case& c : cases) {
    const CountingStatistics s = ComputeCountingStatistics(counts.data(), 256, c.first, c.last);
    ASSERT_TRUE(s.valid) << c.name;
    EXPECT_NEAR(s.areaSigma, std::sqrt(36.0 * c.weightSquares), 1e-9) << c.name;
    EXPECT_NEAR(s.area, 0.0, 1e-9) << c.name;
  }
}

TEST(CountingStatistics, PeakOnContinuumAboveAndBelowTheCriticalLevel) {
  struct Case {
    std::uint32_t excess;  // added to channels 105 and 106, both inner channels of weight 1
    bool above;
  };
  for (const Case& c : {Case{50, true}, Case{30, false}}) {
    auto counts = Flat(100);
    counts[105] += c.excess;
    counts[106] += c.excess;
    const CountingStatistics s = ComputeCountingStatistics(counts.data(), 256, 100, 111);
    EXPECT_NEAR(s.area, 2.0 * c.excess, 1e-9);
    EXPECT_NEAR(s.areaSigma, std::sqrt(2000.0 + 2.0 * c.excess), 1e-9);
    // The limits depend on the continuum only.
    EXPECT_NEAR(s.criticalLevel, kK * std::sqrt(2000.0), 1e-9);
    EXPECT_NEAR(s.detectionLimit, kK * kK + 2 * kK * std::sqrt(2000.0), 1e-9);
    EXPECT_EQ(s.aboveCritical, c.above) << c.excess;
  }
}

TEST(CountingStatistics, AreaMatchesPeakAnalysisOnNoisySpectra) {
  std::mt19937 random(7);
  std::poisson_distribution<int> noise(40.0);
  SpectrumPlot plot(0, true);
  for (int i = 0; i < plot.HardSize(); ++i) plot.Record().hardCounts[i] = static_cast<std::uint32_t>(noise(random));
  for (int i = 0; i < 40; ++i) plot.Record().hardCounts[300 + i] += static_cast<std::uint32_t>(400 * std::exp(-(i - 20) * (i - 20) / 50.0));
  plot.RebuildSoftSpectrum();
  for (const auto& [first, last] : std::vector<std::pair<int, int>>{{0, 2}, {290, 349}, {310, 330}, {0, 4095}}) {
    if (last >= plot.SoftSize()) continue;
    PeakResult peak;
    AnalysePeak(plot, first, last, peak);
    const CountingStatistics s = ComputeCountingStatistics(plot.Record().softCounts, plot.SoftSize(), first, last);
    EXPECT_NEAR(s.area, peak.area, 1e-6 * std::max(1.0, std::fabs(peak.area))) << first << ".." << last;
    EXPECT_NEAR(s.integral, peak.integral, 1e-9);
  }
}

TEST(CountingStatistics, CentroidUncertaintyFromWidthAndArea) {
  auto counts = Flat(0);
  const std::uint32_t peakCounts[] = {0, 0, 100, 400, 100, 0, 0};
  for (int i = 0; i < 7; ++i) counts[static_cast<std::size_t>(100 + i)] = peakCounts[i];
  PeakResult peak;
  ASSERT_EQ(AnalysePeak(counts.data(), 256, 100, 106, peak), kPeakFound);
  const CountingStatistics s = ComputeCountingStatistics(counts.data(), 256, 100, 106, nullptr, &peak, true);
  EXPECT_NEAR(s.centroidSigma, peak.fwhm / (2.3548200450309493 * std::sqrt(600.0)), 1e-12);
  const CountingStatistics flat = ComputeCountingStatistics(counts.data(), 256, 100, 106, nullptr, &peak, false);
  EXPECT_EQ(flat.centroidSigma, 0.0);
}

TEST(CountingStatistics, NetAreaWithABackgroundOfTwiceTheLiveTime) {
  SpectrumPlot measurement(0, true);
  SpectrumPlot background(0, false);
  const int hard = measurement.HardSize();
  ASSERT_EQ(background.HardSize(), hard);
  background.Record().factor = measurement.Record().factor;
  for (int i = 0; i < hard; ++i) {
    measurement.Record().hardCounts[i] = 100;
    background.Record().hardCounts[i] = 40;
  }
  // Measurement: 50 above the continuum in 105 and 106; the background's own peak there: 20 + 20.
  for (int i : {105, 106}) {
    measurement.Record().hardCounts[i] += 50;
    background.Record().hardCounts[i] += 20;
  }
  measurement.RebuildSoftSpectrum();
  ASSERT_EQ(measurement.Factor(), 1);
  std::string why;
  const auto scaled = MakeScaledBackground(measurement.Record(), 100.0, background.Record(), 200.0, &why);
  ASSERT_TRUE(scaled.has_value()) << why;
  ASSERT_DOUBLE_EQ(scaled->scale, 0.5);

  const CountingStatistics s =
      ComputeCountingStatistics(measurement.Record().softCounts, measurement.SoftSize(), 100, 111, &*scaled);
  ASSERT_TRUE(s.hasBackground);
  EXPECT_NEAR(s.area, 100.0, 1e-9);
  EXPECT_NEAR(s.backgroundArea, 20.0, 1e-9);
  EXPECT_NEAR(s.netArea, 80.0, 1e-9);
  // var = (20 * 100 + 100) + 0.5^2 * (20 * 40 + 40)
  EXPECT_NEAR(s.netAreaSigma, std::sqrt(2310.0), 1e-9);
  // 1300 gross, 520 background counts in the ROI.
  EXPECT_NEAR(s.netIntegral, 1300.0 - 260.0, 1e-9);
  EXPECT_NEAR(s.netIntegralSigma, std::sqrt(1300.0 + 0.25 * 520.0), 1e-9);
  // Without a net peak the ROI would hold the continuum plus the scaled background peak (10 in 105
  // and 106): 2000 + 10 + 10, and the background's own variance 0.25 * 840.
  EXPECT_NEAR(s.sigma0, std::sqrt(2230.0), 1e-9);
  EXPECT_NEAR(s.criticalLevel, kK * std::sqrt(2230.0), 1e-9);
  EXPECT_TRUE(s.aboveCritical);
  EXPECT_DOUBLE_EQ(s.TestedArea(), s.netArea);
}

TEST(CountingStatistics, BadRangesGiveNothing) {
  const auto counts = Flat(10);
  for (const auto& [first, last] : std::vector<std::pair<int, int>>{{5, 6}, {6, 5}, {-1, 10}, {250, 256}}) {
    EXPECT_FALSE(ComputeCountingStatistics(counts.data(), 256, first, last).valid) << first << ".." << last;
  }
  EXPECT_FALSE(ComputeCountingStatistics(nullptr, 256, 5, 20).valid);
  ScaledBackground tooShort;
  tooShort.counts.assign(100, 1.0);
  tooShort.scale = 1.0;
  EXPECT_FALSE(ComputeCountingStatistics(counts.data(), 256, 5, 20, &tooShort).valid);
}

}  // namespace
}  // namespace mirvo
