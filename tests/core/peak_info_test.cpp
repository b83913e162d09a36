#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "display/PeakAnalysis.h"
#include "display/SpectrumInfoPanel.h"
#include "display/SpectrumPlot.h"
#include "protocol/RegisterImage.h"

namespace mirvo {
namespace {

constexpr std::array<std::uint32_t, 7> kTriangle = {0, 0, 10, 20, 10, 0, 0};

void PutCounts(SpectrumPlot& plot, int first, const std::vector<std::uint32_t>& counts) {
  for (std::size_t i = 0; i < counts.size(); ++i) plot.Record().hardCounts[first + static_cast<int>(i)] = counts[i];
  plot.RebuildSoftSpectrum();
}

void MarkRoi(SpectrumPlot& plot, int first, int last) {
  for (int ch = first; ch <= last; ++ch) plot.SetChannelRoi(ch, true);
}

// ---------------------------------------------------------------- AnalysePeak

TEST(AnalysePeak, SevenChannelTriangle) {
  SpectrumPlot plot(0, true);
  PutCounts(plot, 100, {kTriangle.begin(), kTriangle.end()});
  PeakResult r;
  ASSERT_EQ(AnalysePeak(plot, 100, 106, r), kPeakFound);
  EXPECT_DOUBLE_EQ(r.integral, 40.0);
  EXPECT_DOUBLE_EQ(r.area, 40.0);
  EXPECT_DOUBLE_EQ(r.centroid, 103.0);
  EXPECT_DOUBLE_EQ(r.fwhm, 2.0);
  EXPECT_NEAR(r.fwtm, 3.6, 1e-12);
  EXPECT_DOUBLE_EQ(r.halfLeft, 102.0);
  EXPECT_DOUBLE_EQ(r.halfRight, 104.0);
  EXPECT_NEAR(r.tenthLeft, 101.2, 1e-12);
  EXPECT_NEAR(r.tenthRight, 104.8, 1e-12);
}

TEST(AnalysePeak, TooNarrowOrOffTheSpectrumChangesNothing) {
  SpectrumPlot plot(0, true);
  PutCounts(plot, 100, {5, 50, 5});
  PeakResult r;
  r.integral = 123.0;
  for (const auto& [first, last] : std::vector<std::pair<int, int>>{{100, 100}, {100, 101}, {101, 100}, {-3, 10},
                                                                     {4090, 4096}}) {
    EXPECT_EQ(AnalysePeak(plot, first, last, r), kPeakNone) << first << ".." << last;
    EXPECT_EQ(r.integral, 123.0);
  }
}

TEST(AnalysePeak, FlatRangeGivesOnlyIntegralAndArea) {
  SpectrumPlot plot(0, true);
  PutCounts(plot, 99, {5, 5, 5, 6, 7, 5, 5, 5});
  PeakResult r;
  r.centroid = 9.0;
  ASSERT_EQ(AnalysePeak(plot, 100, 105, r), kPeakFlat);
  EXPECT_DOUBLE_EQ(r.integral, 33.0);
  EXPECT_DOUBLE_EQ(r.area, 3.0);
  EXPECT_EQ(r.centroid, 0.0);
}

TEST(AnalysePeak, EdgeChannelsRepeatAtTheSpectrumEnds) {
  // area = integral - 7 x (bL + bR) / 2 for a seven-channel range.
  std::array<std::uint32_t, 4096> counts{};
  counts[0] = 6;
  counts[1] = 3;
  counts[3] = 40;
  PeakResult r;
  ASSERT_EQ(AnalysePeak(counts.data(), 4096, 0, 6, r), kPeakFound);
  const double bLeft = (6.0 + 6.0 + 3.0) / 3.0;  // c[0] twice
  const double bRight = 0.0;
  EXPECT_NEAR(r.area, r.integral - 3.5 * (bLeft + bRight), 1e-9);

  counts = {};
  counts[4095] = 9;
  counts[4094] = 3;
  counts[4091] = 40;
  ASSERT_EQ(AnalysePeak(counts.data(), 4096, 4089, 4095, r), kPeakFound);
  EXPECT_NEAR(r.area, r.integral - 3.5 * (0.0 + (3.0 + 9.0 + 9.0) / 3.0), 1e-9);  // c[S-1] twice
}

TEST(AnalysePeak, CountsAboveTwoToThe31AreUnsigned) {
  std::array<std::uint32_t, 4096> counts{};
  counts[12] = 3000000000u;
  counts[13] = 4000000000u;
  counts[14] = 3000000000u;
  PeakResult r;
  ASSERT_EQ(AnalysePeak(counts.data(), 4096, 10, 16, r), kPeakFound);
  EXPECT_DOUBLE_EQ(r.integral, 10e9);
  EXPECT_DOUBLE_EQ(r.area, 10e9);
  EXPECT_NEAR(r.centroid, 13.0, 1e-9);
}

TEST(AnalysePeak, ACrossingNotFoundIsTheRangeEdge) {
  std::array<std::uint32_t, 4096> counts{};
  counts[14] = 30;  // the peak on the last channel of 10..14: no right crossing
  PeakResult r;
  ASSERT_EQ(AnalysePeak(counts.data(), 4096, 10, 14, r), kPeakFound);
  EXPECT_EQ(r.halfRight, 14.0);
  EXPECT_EQ(r.tenthRight, 14.0);

  // The same on the left, after another analysis: nothing of the earlier result survives.
  counts = {};
  counts[10] = 30;
  counts[50] = 10;
  counts[51] = 20;
  counts[52] = 10;
  ASSERT_EQ(AnalysePeak(counts.data(), 4096, 48, 54, r), kPeakFound);
  ASSERT_EQ(AnalysePeak(counts.data(), 4096, 10, 14, r), kPeakFound);
  EXPECT_EQ(r.halfLeft, 10.0);
  EXPECT_EQ(r.tenthLeft, 10.0);
  EXPECT_GT(r.fwhm, 0.0);
}

// ---------------------------------------------------------------- UpdatePeakInfo

class PeakInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    PutCounts(plot, 100, {kTriangle.begin(), kTriangle.end()});
    MarkRoi(plot, 100, 106);
  }
  SpectrumPlot plot{0, true};
  SpectrumInfoPanel info;
};

TEST_F(PeakInfo, PeakFieldsInChannels) {
  plot.MoveCursor(103);
  plot.SetUnitsRefresh();
  ASSERT_EQ(info.UpdatePeakInfo(plot), kPeakFound);
  const SpectrumInfoTexts& t = info.Texts();
  EXPECT_EQ(t.position, "     103");
  EXPECT_EQ(t.counts, "        20");
  EXPECT_EQ(t.cursorStatus, "CURSOR: 103     COUNTS: 20        ");
  EXPECT_EQ(t.roiStatus, "ROI:    100 to 106     W: 7     ");
  EXPECT_EQ(t.integral, "   40");
  EXPECT_EQ(t.area, "   40");
  EXPECT_EQ(t.centroid, "  103.00");
  EXPECT_EQ(t.fwhm, "    2.00");
  EXPECT_EQ(t.fwtm, "    3.60");
  EXPECT_EQ(t.resolution, "    1.94");
  EXPECT_EQ(t.unitLabels[0], "chn");
  EXPECT_FALSE(plot.UnitsRefresh());
  EXPECT_DOUBLE_EQ(plot.CursorPeak().centroid, 103.0);
}

TEST_F(PeakInfo, CalibratedFieldsInEnergyUnits) {
  CalibrationRecord& cal = plot.Record().working;
  cal.enabled = 1;
  cal.unitIndex = 2;
  cal.a = 0.001;
  cal.b = 2.0;
  cal.c = -10.0;
  plot.MoveCursor(103);
  plot.SetUnitsRefresh();
  info.UpdatePeakInfo(plot);
  const SpectrumInfoTexts& t = info.Texts();
  EXPECT_EQ(t.unitLabels[0], "keV");
  EXPECT_EQ(t.unitLabels[3], "keV");
  EXPECT_EQ(t.position, "  206.61");                 // 0.001 x 103^2 + 206 - 10
  EXPECT_EQ(t.centroid, "  206.61");
  EXPECT_EQ(t.fwhm, "    4.41");                     // 0.001 x (104^2 - 102^2) + 2 x 2
  EXPECT_EQ(t.fwtm, "    7.94");                     // 0.001 x (104.8^2 - 101.2^2) + 2 x 3.6
  EXPECT_EQ(t.resolution, "    2.14");  // 4.412 x 100 / 206.609
}

TEST_F(PeakInfo, ResolutionIsZeroForACentroidEnergyNotAboveZero) {
  CalibrationRecord& cal = plot.Record().working;
  cal.enabled = 1;
  cal.c = -103.0;
  plot.MoveCursor(103);
  plot.SetUnitsRefresh();
  info.UpdatePeakInfo(plot);
  EXPECT_EQ(info.Texts().resolution, "    0.00");
}

TEST_F(PeakInfo, UnchangedValuesAreNotReformattedUntilTheUnitsChange) {
  plot.MoveCursor(103);
  info.UpdatePeakInfo(plot);
  CalibrationRecord& cal = plot.Record().working;
  cal.enabled = 1;
  cal.b = 2.0;
  info.UpdatePeakInfo(plot);  // same cursor, count and peak: texts stay
  EXPECT_EQ(info.Texts().position, "     103");
  EXPECT_EQ(info.Texts().centroid, "  103.00");
  plot.SetUnitsRefresh();  // as a calibration change does
  info.UpdatePeakInfo(plot);
  EXPECT_EQ(info.Texts().position, "  206.00");
  EXPECT_EQ(info.Texts().centroid, "  206.00");  // the peak fields follow the new units as well
  EXPECT_EQ(info.Texts().fwhm, "    4.00");
}

TEST_F(PeakInfo, FieldsAreBlankedOnceOutsideTheRoiAndComeBack) {
  plot.MoveCursor(103);
  info.UpdatePeakInfo(plot);
  ASSERT_TRUE(info.PeakShown());
  plot.MoveCursor(300);
  EXPECT_EQ(info.UpdatePeakInfo(plot), kPeakNone);
  const SpectrumInfoTexts& t = info.Texts();
  EXPECT_EQ(t.roiStatus, " ");
  for (const std::string* field : {&t.integral, &t.area, &t.centroid, &t.fwhm, &t.fwtm, &t.resolution})
    EXPECT_EQ(*field, "-----------");
  EXPECT_FALSE(info.PeakShown());
  plot.MoveCursor(103);  // the same peak again: shown again although its values did not change
  info.UpdatePeakInfo(plot);
  EXPECT_EQ(t.centroid, "  103.00");
  EXPECT_EQ(t.integral, "   40");
}

TEST_F(PeakInfo, FlatRoiShowsOnlyTheIntegral) {
  plot.MoveCursor(103);
  info.UpdatePeakInfo(plot);
  PutCounts(plot, 200, {4, 4, 4, 4, 4, 4});
  MarkRoi(plot, 200, 205);
  plot.MoveCursor(202);
  EXPECT_EQ(info.UpdatePeakInfo(plot), kPeakFlat);
  EXPECT_EQ(info.Texts().integral, "   24");
  EXPECT_EQ(info.Texts().centroid, "-----------");
  EXPECT_EQ(info.Texts().area, "-----------");
  EXPECT_TRUE(info.IntegralShown());
}

TEST_F(PeakInfo, ARoiOfOneOrTwoChannelsBlanksEverything) {
  plot.MoveCursor(103);
  info.UpdatePeakInfo(plot);
  MarkRoi(plot, 300, 301);
  plot.MoveCursor(300);
  EXPECT_EQ(info.UpdatePeakInfo(plot), kPeakNone);
  EXPECT_EQ(info.Texts().roiStatus, "ROI:    300 to 301     W: 2     ");
  EXPECT_EQ(info.Texts().integral, "-----------");
  EXPECT_EQ(info.Texts().centroid, "-----------");
}

TEST_F(PeakInfo, UnitsRefreshAsksThePulseShapePanel) {
  struct Listener : IUnitsListener {
    int calls = 0;
    void UnitsRefreshed() override { ++calls; }
  } listener;
  SpectrumInfoPanel withListener(&listener);
  plot.SetUnitsRefresh();
  withListener.UpdatePeakInfo(plot);
  withListener.UpdatePeakInfo(plot);
  EXPECT_EQ(listener.calls, 1);
  EXPECT_EQ(SpectrumInfoPanel::PaneTitle(2), "Spectrum Info S2");
}

// ---------------------------------------------------------------- counting rates

struct RateCase {
  std::uint16_t r2c, r2d, r2e, r2f;
  double period;
  std::int64_t throughput, incoming;
  int losses;
};

class Rates : public ::testing::TestWithParam<RateCase> {};

TEST_P(Rates, FromTheRateRegisters) {
  const RateCase c = GetParam();
  RegisterImage image;
  image[0x2C] = c.r2c;
  image[0x2D] = c.r2d;
  image[0x2E] = c.r2e;
  image[0x2F] = c.r2f;
  const CountingRates rates = ComputeRates(image, c.period);
  EXPECT_EQ(rates.throughput, c.throughput);
  EXPECT_EQ(rates.incoming, c.incoming);
  EXPECT_EQ(rates.lossesPercent, c.losses);
}

INSTANTIATE_TEST_SUITE_P(
    Registers, Rates,
    ::testing::Values(RateCase{1000, 3000, 1000, 1000, 0.008, 61035, 183105, 66},  // T = 16.384 us
                      RateCase{1000, 500, 1000, 1000, 0.008, 61035, 61035, 0},     // second rate lower
                      RateCase{1000, 2000, 0, 0, 0.008, 0, 0, 0},                  // no time counted
                      RateCase{0, 8192, 1, 1, 1.0e6, 0, 4, 0},                     // 4 cps: no losses shown
                      RateCase{0, 12288, 1, 1, 1.0e6, 0, 6, 100},                  // 6 cps, none through
                      RateCase{1000, 2000, 1000, 1000, 0.0, 0, 0, 0}));            // no sample period

TEST(SpectrumInfoPanel, StartsAtZero) {
  SpectrumInfoPanel info;
  EXPECT_EQ(info.Texts().real, "0.00");
  EXPECT_EQ(info.Texts().live, "0.00");
  EXPECT_EQ(info.Texts().dead, "0.00");
  EXPECT_EQ(info.Texts().throughput, 0);
  EXPECT_EQ(info.Texts().losses, 0);
  info.SetRates(CountingRates{10, 20, 50});
  EXPECT_EQ(info.Texts().incoming, 20);
  EXPECT_EQ(info.Texts().losses, 50);
}

}  // namespace
}  // namespace mirvo
