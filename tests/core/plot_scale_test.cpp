#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "display/PlotFrame.h"
#include "display/PlotGeometry.h"
#include "display/SpectrumPlot.h"

namespace mirvo {
namespace {

// ---------------------------------------------------------------- geometry

TEST(PlotGeometry, MarginsAndChannelMapping) {
  const PlotGeometry g = PlotGeometry::From(ClientRect{0, 0, 670, 557}, 64);
  EXPECT_EQ(g.left, 20);
  EXPECT_EQ(g.right, 660);
  EXPECT_EQ(g.width, 640);
  EXPECT_EQ(g.top, 20);
  EXPECT_EQ(g.bottom, 532);
  EXPECT_EQ(g.height, 512);
  EXPECT_EQ(g.pixelsPerChannel, 10);
  EXPECT_EQ(g.x0, 25);
  EXPECT_EQ(g.ChannelToX(100, 100, 64), 25);
  EXPECT_EQ(g.ChannelToX(163, 100, 64), 25 + 630);
  for (int ch = 100; ch < 164; ++ch) EXPECT_EQ(g.XToChannel(g.ChannelToX(ch, 100, 64), 100, 64), ch);
  EXPECT_EQ(g.XToChannel(0, 100, 64), 98);  // left of the plot: clamped later by the cursor move
}

TEST(PlotGeometry, TinyControlsNeitherDivideByZeroNorScaleBelowFour) {
  const PlotGeometry g = PlotGeometry::From(ClientRect{0, 0, 25, 40}, 4096);
  EXPECT_LE(g.width, 0);
  EXPECT_EQ(g.pixelsPerChannel, 0);
  EXPECT_EQ(g.XToChannel(10, 7, 4096), 7);
  EXPECT_EQ(g.ScaleHeight(), 4);
}

// ---------------------------------------------------------------- count to height

TEST(LinearScale, FullScaleIsTwoToTheS) {
  EXPECT_EQ(LinearHeight(512, 9, 512), 512);
  EXPECT_EQ(LinearHeight(256, 9, 512), 256);
  EXPECT_EQ(LinearHeight(1, 0, 512), 512);
  EXPECT_EQ(LinearHeight(0, 9, 512), 0);
}

TEST(LinearScale, LargeCountsTakeTheDivisionPathWithoutOverflow) {
  // 0x1FFFFFFF / 512 = 1048575: from there on the product would not fit, so it divides.
  EXPECT_EQ(LinearHeight(1048574, 20, 512), (1048574ll * 512) >> 20);
  EXPECT_EQ(LinearHeight(1u << 30, 30, 512), 512);
  EXPECT_EQ(LinearHeight(1u << 31, 31, 512), 512);             // s = 31: 0x40000000 / (H >> 1)
  EXPECT_EQ(LinearHeight(0xFFFFFFFFu, 31, 512), 1023);
  EXPECT_EQ(LinearHeight(0xFFFFFFFFu, 0, 512), 0xFFFFFFFFll);  // far above the plot, still exact
  EXPECT_EQ(LinearHeight(0x80000000u, 31, 3), 0x80000000ll / (0x40000000 / 2));  // H taken as 4
}

TEST(LogScale, TopAt65536CountsAndBaseLineForZeroAndOne) {
  EXPECT_NEAR(static_cast<double>(LogHeight(65536, 0, 512)), 512.0, 1.0);
  EXPECT_NEAR(static_cast<double>(LogHeight(0xFFFFFFFFu, 1, 512)), 512.0, 1.0);
  EXPECT_NEAR(static_cast<double>(LogHeight(256, 0, 512)), 256.0, 1.0);
  EXPECT_EQ(LogHeight(0, 0, 512), 0);
  EXPECT_EQ(LogHeight(1, 1, 512), 0);
}

// ---------------------------------------------------------------- vertical scale commands

TEST(VerticalScale, IndexesAreLimitedAndCommandsLeaveAuto) {
  SpectrumPlot plot(0, true);
  plot.ToggleAutomaticScale();
  EXPECT_TRUE(plot.AutoScale());
  plot.VerticalScroll(ScrollAction::Thumb, 40);
  EXPECT_EQ(plot.LinearScale(), 31);
  EXPECT_TRUE(plot.AutoScale());  // the scroll bar leaves the auto flag alone
  plot.CompressVerticalScale();
  EXPECT_EQ(plot.LinearScale(), 31);
  EXPECT_FALSE(plot.AutoScale());
  plot.SetLogarithmicScale();
  EXPECT_EQ(plot.VerticalScrollMaximum(), 1);
  plot.ExpandVerticalScale();
  EXPECT_EQ(plot.LogRange(), 0);
  plot.CompressVerticalScale();
  plot.CompressVerticalScale();
  EXPECT_EQ(plot.LogRange(), 1);
  EXPECT_EQ(plot.VerticalScrollPosition(), 1);
  EXPECT_EQ(plot.LinearScale(), 31);
}

TEST(VerticalScale, AutomaticScaleCannotBeSwitchedOnInLogScale) {
  SpectrumPlot plot(0, true);
  plot.SetLogarithmicScale();
  plot.ToggleAutomaticScale();
  EXPECT_FALSE(plot.AutoScale());
  plot.SetLinearScale();
  plot.ToggleAutomaticScale();
  EXPECT_TRUE(plot.AutoScale());
  plot.SetLogarithmicScale();
  EXPECT_FALSE(plot.AutoScale());
}

// ---------------------------------------------------------------- automatic scale

const ClientRect kClient{0, 0, 4096 + 30, 512 + 45};  // H = 512, one pixel per channel

int AutoScaleAfterPaint(std::uint32_t peakCount, int s, int paints = 1) {
  SpectrumPlot plot(0, true);
  plot.Record().hardCounts[2000] = peakCount;
  plot.RebuildSoftSpectrum();
  plot.SetLinearScaleIndex(s);
  plot.ToggleAutomaticScale();
  PlotFrame frame;
  for (int i = 0; i < paints; ++i) {
    BuildPlotFrame(plot, kClient, frame);
    plot.ApplyAutoScale(frame.highestY, frame.geometry);
  }
  return plot.LinearScale();
}

TEST(AutoScale, ALowPeakLowersTheScaleUntilItReachesHalfTheHeight) {
  // 51 counts at s = 9 rise 51 pixels: doubled three times they reach 408 >= 256.
  EXPECT_EQ(AutoScaleAfterPaint(51, 9), 6);
  EXPECT_EQ(AutoScaleAfterPaint(0, 9), 1);  // empty: d = 1 doubles eight times
}

TEST(AutoScale, APeakOverFullScaleRaisesTheScaleUntilItFits) {
  // 5000 counts at s = 9: d = 5000 halves four times to 312 <= 512.
  EXPECT_EQ(AutoScaleAfterPaint(5000, 9), 13);
  // From s = 0 the top count rises 2^32 pixels: one paint halves that to H (s = 23), the next
  // paints finish the climb to the limit.
  EXPECT_EQ(AutoScaleAfterPaint(0xFFFFFFFFu, 0), 23);
  EXPECT_EQ(AutoScaleAfterPaint(0xFFFFFFFFu, 0, 3), 31);
}

TEST(AutoScale, APeakBetweenAQuarterAndFullScaleStays) {
  EXPECT_EQ(AutoScaleAfterPaint(300, 9), 9);
}

TEST(AutoScale, OnlyWhileAutoIsOn) {
  SpectrumPlot plot(0, true);
  PlotFrame frame;
  BuildPlotFrame(plot, kClient, frame);
  plot.ApplyAutoScale(frame.highestY, frame.geometry);
  EXPECT_EQ(plot.LinearScale(), 9);
}

// ---------------------------------------------------------------- frames and partial redraw

TEST(PlotFrame, FilledColumnsFollowTheChannels) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(32);
  plot.SetCursorChannel(16);
  plot.FitView(1);  // 0 .. 31
  plot.Record().hardCounts[3] = 256;
  plot.RebuildSoftSpectrum();
  plot.SetChannelRoi(5, true);
  PlotFrame frame;
  BuildPlotFrame(plot, ClientRect{0, 0, 350, 557}, frame);  // W = 320, K = 10
  const PlotGeometry& g = frame.geometry;
  ASSERT_EQ(g.pixelsPerChannel, 10);
  ASSERT_EQ(frame.columns.size(), 321u);
  // Channel 3 fills columns left + 31 .. left + 40, half way up.
  EXPECT_EQ(frame.columns[31].y, g.bottom - 256);
  EXPECT_EQ(frame.columns[40].y, g.bottom - 256);
  EXPECT_EQ(frame.columns[30].y, g.bottom);
  EXPECT_EQ(frame.columns[41].y, g.bottom);
  EXPECT_TRUE(frame.columns[51].roi);
  EXPECT_FALSE(frame.columns[50].roi);
  EXPECT_EQ(frame.points.size(), 32u);
  EXPECT_EQ(frame.points[3].x, g.ChannelToX(3, 0, 32));
  EXPECT_EQ(frame.highestY, g.bottom - 256);
}

TEST(PlotFrame, ColumnsSharedByChannelsShowTheHighest) {
  SpectrumPlot plot(0, true);  // 4096 channels
  plot.Record().hardCounts[1001] = 100;
  plot.Record().hardCounts[1002] = 300;
  plot.RebuildSoftSpectrum();
  plot.SetChannelRoi(1002, true);
  PlotFrame frame;
  BuildPlotFrame(plot, ClientRect{0, 0, 542, 557}, frame);  // W = 512: eight channels a column
  ASSERT_EQ(frame.geometry.pixelsPerChannel, 0);
  const int column = frame.geometry.ColumnOf(1002, 0, 4096) - frame.geometry.left;
  EXPECT_EQ(frame.columns[static_cast<std::size_t>(column)].y, frame.geometry.bottom - 300);
  EXPECT_TRUE(frame.columns[static_cast<std::size_t>(column)].roi);
}

TEST(PlotFrame, ClampsIntoThePlotButReportsTheUnclampedHeight) {
  SpectrumPlot plot(0, true);
  plot.Record().hardCounts[10] = 100000;
  plot.RebuildSoftSpectrum();
  PlotFrame frame;
  BuildPlotFrame(plot, kClient, frame);
  EXPECT_EQ(frame.points[10].y, frame.geometry.top);
  EXPECT_EQ(frame.highestY, frame.geometry.bottom - 100000);
}

TEST(ColumnBook, PartialRedrawRepaintsOnlyChangedColumns) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(32);
  plot.SetCursorChannel(16);
  plot.FitView(1);
  const ClientRect client{0, 0, 350, 557};
  PlotFrame frame;
  PlotColumnBook book;
  BuildPlotFrame(plot, client, frame);
  EXPECT_EQ(book.Update(frame, false).size(), 321u);  // first paint: everything
  BuildPlotFrame(plot, client, frame);
  EXPECT_TRUE(book.Update(frame, false).empty());     // nothing changed
  EXPECT_EQ(book.Update(frame, true).size(), 321u);   // a full redraw repaints all

  plot.Record().hardCounts[3] = 20;
  plot.RebuildSoftSpectrum();
  BuildPlotFrame(plot, client, frame);
  const std::vector<int> grown = book.Update(frame, false);
  ASSERT_EQ(grown.size(), 10u);
  EXPECT_EQ(grown.front(), 31);

  plot.SetChannelRoi(7, true);
  BuildPlotFrame(plot, client, frame);
  const std::vector<int> marked = book.Update(frame, false);
  ASSERT_EQ(marked.size(), 10u);
  EXPECT_EQ(marked.front(), 71);

  BuildPlotFrame(plot, ClientRect{0, 0, 360, 557}, frame);  // resized: all again
  EXPECT_EQ(book.Update(frame, false).size(), frame.columns.size());
}

// ---------------------------------------------------------------- labels

TEST(PlotLabels, ChannelsOrEnergiesAndTheScale) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(1024);
  plot.SetCursorChannel(612);
  plot.FitView(1);  // 100 .. 1123
  PlotLabels labels = BuildLabels(plot);
  EXPECT_EQ(labels.firstText, "100    ");
  EXPECT_EQ(labels.middleText, "   612 ");
  EXPECT_EQ(labels.lastText, "  1123 ");
  EXPECT_EQ(labels.scaleText, " 512  ");
  CalibrationRecord& cal = plot.Record().working;
  cal.enabled = 1;
  cal.b = 0.5;
  cal.c = 1.0;
  plot.SetLinearScaleIndex(31);
  labels = BuildLabels(plot);
  EXPECT_EQ(labels.firstText, "51.00     ");
  EXPECT_EQ(labels.middleText, "   307.00 ");
  EXPECT_EQ(labels.lastText, "   562.50 ");
  EXPECT_EQ(labels.scaleText, "  2B  ");
  plot.SetLogarithmicScale();
  labels = BuildLabels(plot);
  EXPECT_EQ(labels.scaleText, "LOG  ");
  EXPECT_TRUE(labels.scaleIsLog);

  PlotLabelBook book;
  EXPECT_TRUE(book.BottomChanged(labels, false));
  EXPECT_FALSE(book.BottomChanged(labels, false));
  EXPECT_TRUE(book.ScaleChanged(labels, false));
  EXPECT_FALSE(book.ScaleChanged(labels, false));
  plot.SetLinearScale();
  EXPECT_TRUE(book.ScaleChanged(BuildLabels(plot), false));
}

TEST(PlotColours, DefaultsAsStoredValues) {
  SpectrumPlot plot(0, true);
  PlotColours custom;
  custom.cursor = 1;
  plot.SetColours(custom);
  plot.SetPlotColours(true);
  EXPECT_EQ(plot.Colours(), PlotColours{});
  EXPECT_EQ(plot.Colours().cursor, 255u + 150u * 256u + 60u * 65536u);
  EXPECT_EQ(plot.Colours().roi, 40u + 110u * 256u + 220u * 65536u);
}

}  // namespace
}  // namespace mirvo
