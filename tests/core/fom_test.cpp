#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/PeakAnalysis.h"
#include "display/SpectrumPlot.h"

namespace mirvo {
namespace {

// S0 with two triangle peaks in hard channels: 0, 0, 10, 20, 10, 0, 0 at 100 and 0, 0, 20, 40, 20, 0, 0 at 300.
void PutPeaks(SpectrumPlot& plot) {
  const std::vector<std::uint32_t> narrow = {0, 0, 10, 20, 10, 0, 0};
  const std::vector<std::uint32_t> tall = {0, 0, 20, 40, 20, 0, 0};
  for (std::size_t i = 0; i < 7; ++i) {
    plot.Record().hardCounts[100 + i] = narrow[i];
    plot.Record().hardCounts[300 + i] = tall[i];
  }
  plot.RebuildSoftSpectrum();
}

void SetRanges(SpectrumPlot& plot, int p1First, int p1Last, int p2First, int p2Last) {
  CalibrationRecord& stored = plot.Record().stored;
  stored.fomPeak1First = p1First;
  stored.fomPeak1Last = p1Last;
  stored.fomPeak2First = p2First;
  stored.fomPeak2Last = p2Last;
}

TEST(ComputeFom, TwoKnownPeaks) {
  SpectrumPlot s0(0, true);
  PutPeaks(s0);
  SetRanges(s0, 100, 106, 300, 306);
  const FomResult fom = ComputeFom(s0);
  ASSERT_EQ(fom.status, 0);
  EXPECT_DOUBLE_EQ(fom.fom, 200.0 / 4.0);  // centroids 103 and 303, FWHM 2 each
  EXPECT_EQ(fom.text, "50.00");
}

TEST(ComputeFom, RangesAreHardChannelsDividedByTheFactor) {
  SpectrumPlot s0(0, true);
  PutPeaks(s0);
  s0.SetSizes(4096, 2048);  // the peaks now sit at soft 50..53 and 150..153
  SetRanges(s0, 96, 112, 296, 312);
  const FomResult fom = ComputeFom(s0);
  ASSERT_EQ(fom.status, 0);
  EXPECT_EQ(fom.peak1.integral, 40.0);
  EXPECT_EQ(fom.peak2.integral, 80.0);
  EXPECT_NEAR(std::abs(fom.peak2.centroid - fom.peak1.centroid), 100.0, 1e-9);
}

TEST(ComputeFom, LeavesTheCursorPeakAlone) {
  SpectrumPlot s0(0, true);
  PutPeaks(s0);
  SetRanges(s0, 100, 106, 300, 306);
  s0.CursorPeak().integral = 7.0;
  ComputeFom(s0);
  EXPECT_EQ(s0.CursorPeak().integral, 7.0);
}

struct BlankCase {
  const char* name;
  int p1First, p1Last, p2First, p2Last;
};

class FomBlank : public ::testing::TestWithParam<BlankCase> {};

TEST_P(FomBlank, ShowsDashes) {
  const BlankCase c = GetParam();
  SpectrumPlot s0(0, true);
  PutPeaks(s0);
  for (int i = 500; i < 520; ++i) s0.Record().hardCounts[i] = 4;  // flat
  s0.RebuildSoftSpectrum();
  SetRanges(s0, c.p1First, c.p1Last, c.p2First, c.p2Last);
  const FomResult fom = ComputeFom(s0);
  EXPECT_EQ(fom.status, -1);
  EXPECT_EQ(fom.text, "-----------");
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, FomBlank,
    ::testing::Values(BlankCase{"BothUnset", 0, 0, 0, 0}, BlankCase{"SecondUnset", 100, 106, 0, 0},
                      BlankCase{"FirstTwoChannels", 103, 104, 300, 306}, BlankCase{"SecondTwoChannels", 100, 106, 303, 304},
                      BlankCase{"FlatPeak", 100, 106, 502, 515}, BlankCase{"BeyondTheSpectrum", 100, 106, 4090, 9000},
                      BlankCase{"Negative", -50, -10, 300, 306}),
    [](const ::testing::TestParamInfo<BlankCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mirvo
