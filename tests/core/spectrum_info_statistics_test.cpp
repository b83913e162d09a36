#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "display/SpectrumInfoPanel.h"
#include "base/TextFormat.h"
#include "display/SpectrumPlot.h"

namespace mirvo {
namespace {

// A Gaussian of 2000 counts, sigma 3 channels, on 10 counts a channel; the ROI 80..120 under the cursor.
class InfoStatistics : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < plot.HardSize(); ++i) {
      const double x = (i - 100.0) / 3.0;
      plot.Record().hardCounts[i] = static_cast<std::uint32_t>(10.0 + 2000.0 / (3.0 * 2.5066) * std::exp(-0.5 * x * x) + 0.5);
    }
    plot.RebuildSoftSpectrum();
    for (int ch = 80; ch <= 120; ++ch) plot.SetChannelRoi(ch, true);
    plot.MoveCursor(100);
  }
  ScaledBackground Background(std::size_t size, double perChannel, double scale) {
    ScaledBackground b;
    b.counts.assign(size, perChannel);
    b.scale = scale;
    return b;
  }
  SpectrumPlot plot{0, true};
  SpectrumInfoPanel info;
};

TEST_F(InfoStatistics, RoiUnderTheCursorGetsUncertaintiesLimitsAndAFit) {
  ASSERT_EQ(info.UpdatePeakInfo(plot), kPeakFound);
  const PeakStatisticsTexts& t = info.Texts().statistics;
  const CountingStatistics& s = info.Statistics();
  EXPECT_EQ(t.integralSigma, FormatText("%.0f", std::sqrt(s.integral)));
  EXPECT_EQ(t.aboveCritical, "YES");
  EXPECT_TRUE(t.netArea.empty());
  EXPECT_EQ(t.fitStatus, "OK") << t.fitDetail;
  EXPECT_NEAR(info.Fit().centroid, 100.0, 0.05);
  EXPECT_NEAR(info.Fit().fwhm, 3.0 * 2.3548, 0.1);
  EXPECT_EQ(t.fitDetail, "Gaussian on a linear continuum");

  // Outside every ROI nothing is shown.
  plot.MoveCursor(300);
  info.UpdatePeakInfo(plot);
  EXPECT_TRUE(info.Texts().statistics.integralSigma.empty());
  EXPECT_TRUE(info.Texts().statistics.fitCentroid.empty());
}

TEST_F(InfoStatistics, BackgroundAppliesOnlyToItsSoftChannels) {
  const std::size_t soft = static_cast<std::size_t>(plot.SoftSize());
  struct Case {
    const char* name;
    std::size_t size;
    bool net;
  };
  for (const Case& c : {Case{"same soft size", soft, true}, Case{"other soft size", soft / 2, false}}) {
    info.SetBackground(Background(c.size, 4.0, 0.5));
    info.UpdatePeakInfo(plot);
    EXPECT_EQ(!info.Texts().statistics.netArea.empty(), c.net) << c.name;
  }
  // A flat background has no area: the net area is the area, its variance grows by 0.25 x 4 x sum w^2.
  info.SetBackground(Background(soft, 4.0, 0.5));
  info.UpdatePeakInfo(plot);
  const CountingStatistics s = info.Statistics();
  EXPECT_NEAR(s.netArea, s.area, 1e-9);
  EXPECT_GT(s.netAreaSigma, s.areaSigma);

  // Without a background set, a provider is asked for the plot.
  info.SetBackground(std::nullopt);
  const ScaledBackground provided = Background(soft, 8.0, 1.0);
  int asked = 0;
  info.SetBackgroundProvider([&](const SpectrumPlot& p) {
    ++asked;
    EXPECT_EQ(&p, &plot);
    return &provided;
  });
  info.UpdatePeakInfo(plot);
  EXPECT_EQ(asked, 1);
  EXPECT_GT(info.Statistics().netAreaSigma, s.netAreaSigma);
  info.SetBackgroundProvider({});
  info.SetBackground(std::nullopt);
  info.UpdatePeakInfo(plot);
  EXPECT_TRUE(info.Texts().statistics.netArea.empty());
}

}  // namespace
}  // namespace mirvo
