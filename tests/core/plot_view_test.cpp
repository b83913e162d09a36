#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "display/PlotGeometry.h"
#include "display/SpectrumPlot.h"

namespace mirvo {
namespace {

void FillDistinct(SpectrumPlot& plot) {
  for (int j = 0; j < 4096; ++j) plot.Record().hardCounts[j] = static_cast<std::uint32_t>(j + 1);
}

std::uint32_t SumHard(const SpectrumPlot& plot, int from, int to) {
  std::uint32_t sum = 0;
  for (int j = from; j <= to; ++j) sum += plot.Record().hardCounts[j];
  return sum;
}

// ---------------------------------------------------------------- soft spectrum and soft ROI

struct FoldCase {
  int softSize;
  int softChannel;
  int firstHard;
  int lastHard;
};

class SoftFolding : public ::testing::TestWithParam<FoldCase> {};

TEST_P(SoftFolding, SoftChannelSumsItsHardChannels) {
  const FoldCase c = GetParam();
  SpectrumPlot plot(1, true);
  FillDistinct(plot);
  ASSERT_EQ(plot.SetSizes(4096, c.softSize), 0);
  EXPECT_EQ(plot.SoftCount(c.softChannel), SumHard(plot, c.firstHard, c.lastHard));
}

INSTANTIATE_TEST_SUITE_P(Sizes, SoftFolding,
                         ::testing::Values(FoldCase{1365, 1364, 4092, 4095}, FoldCase{1365, 1363, 4089, 4091},
                                           FoldCase{682, 681, 4086, 4095}, FoldCase{682, 0, 0, 5},
                                           FoldCase{2048, 2047, 4094, 4095}, FoldCase{512, 3, 24, 31},
                                           FoldCase{4096, 4095, 4095, 4095}));

TEST(SoftSpectrum, LeftoverChannelsOfAnUnevenFileSizeStayBeyondTheShownRange) {
  SpectrumPlot plot(0, false);
  FillDistinct(plot);
  plot.ApplySizes(4096, 1000);  // factor 4: 1024 soft channels started
  EXPECT_EQ(plot.Factor(), 4);
  EXPECT_EQ(plot.SoftCount(999), SumHard(plot, 3996, 3999));
  EXPECT_EQ(plot.SoftCount(1000), SumHard(plot, 4000, 4003));
}

TEST(SoftSpectrum, SumsSaturateInsteadOfWrapping) {
  SpectrumPlot plot(0, true);
  plot.Record().hardCounts[0] = std::numeric_limits<std::uint32_t>::max();
  plot.Record().hardCounts[1] = 5;
  plot.SetSizes(4096, 2048);
  EXPECT_EQ(plot.SoftCount(0), std::numeric_limits<std::uint32_t>::max());
}

TEST(SoftRoi, SoftChannelIsMarkedOnlyWhenAllItsHardChannelsAre) {
  SpectrumPlot plot(0, true);
  plot.SetSizes(4096, 1365);  // factor 3
  auto& hard = plot.Record().hardRoi;
  hard[3] = hard[4] = hard[5] = 1;  // soft 1: whole
  hard[6] = hard[7] = 1;            // soft 2: two of three
  hard[4092] = hard[4093] = hard[4094] = 1;  // soft 1364: the leftover 4095 does not count
  plot.RebuildSoftRoi();
  EXPECT_TRUE(plot.SoftRoi(1));
  EXPECT_FALSE(plot.SoftRoi(2));
  EXPECT_TRUE(plot.SoftRoi(1364));
  EXPECT_FALSE(plot.SoftRoi(1365));
}

TEST(SoftRoi, MarkingOneSoftChannelSetsAllItsHardChannels) {
  SpectrumPlot plot(0, true);
  plot.SetSizes(4096, 682);  // factor 6
  plot.SetChannelRoi(10, true);
  for (int h = 60; h < 66; ++h) EXPECT_EQ(plot.Record().hardRoi[static_cast<std::size_t>(h)], 1) << h;
  EXPECT_EQ(plot.Record().hardRoi[59], 0);
  EXPECT_EQ(plot.Record().hardRoi[66], 0);
}

// ---------------------------------------------------------------- sizes

TEST(SetSizes, ResetsTheViewWhenTheSizesChange) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(64);
  plot.FitView(1);
  ASSERT_EQ(plot.SetSizes(4096, 2048), 0);
  EXPECT_EQ(plot.First(), 0);
  EXPECT_EQ(plot.Last(), 2047);
  EXPECT_EQ(plot.ViewWidth(), 2048);
  EXPECT_EQ(plot.Cursor(), 1024);
  EXPECT_EQ(plot.TakeRedraw(), RedrawKind::Full);
}

TEST(SetSizes, AHiddenPlotKeepsItsSizes) {
  SpectrumPlot file(0, false);
  ASSERT_FALSE(file.Visible());
  file.SetSizes(4096, 512);
  EXPECT_EQ(file.SoftSize(), 4096);
}

TEST(SetSizes, ASoftSizeOnAFileLoadedWith1024ChannelsMakesItsHardSize4096) {
  SpectrumPlot file(0, false);
  file.SetVisible(true);
  file.ApplySizes(1024, 1024);
  EXPECT_EQ(file.HardSize(), 1024);
  file.SetSizes(4096, 2048);
  EXPECT_EQ(file.HardSize(), 4096);
  EXPECT_EQ(file.Factor(), 2);
  EXPECT_EQ(file.SoftCount(1000), 0u);
}

TEST(SetSizes, RefusesSizesNoMenuOrFileCanGive) {
  SpectrumPlot plot(0, true);
  EXPECT_EQ(plot.SetSizes(4096, 0), -1);
  EXPECT_EQ(plot.SetSizes(4096, 8192), -1);
  EXPECT_EQ(plot.SetSizes(5000, 1024), -1);
  EXPECT_EQ(plot.SoftSize(), 4096);
  plot.ApplySizes(100000, 100);  // the file reader's clamps
  EXPECT_EQ(plot.HardSize(), 4096);
  EXPECT_EQ(plot.SoftSize(), 512);
}

// ---------------------------------------------------------------- view window

TEST(FitView, ZoomOnACursorNearTheStartKeepsFirstAtZero) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(128);
  plot.SetCursorChannel(10);
  plot.ExpandAroundCursor();
  EXPECT_EQ(plot.ViewWidth(), 64);
  EXPECT_EQ(plot.First(), 0);
  EXPECT_EQ(plot.Last(), 63);
  EXPECT_EQ(plot.Cursor(), 10);
}

TEST(FitView, ZoomOnACursorNearTheEndMovesTheCursor) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(128);
  plot.SetCursorChannel(4096 - 5);
  plot.ExpandAroundCursor();
  EXPECT_EQ(plot.Last(), 4095);
  EXPECT_EQ(plot.First(), 4096 - 64);
  EXPECT_EQ(plot.Cursor(), 4095 - 32);
  EXPECT_EQ(plot.TakeRedraw(), RedrawKind::Full);
}

TEST(FitView, WidthStaysWithin32AndTheSoftSize) {
  SpectrumPlot plot(0, true);
  plot.SetSizes(4096, 1024);
  plot.SetViewWidth(32);
  plot.FitView(1);
  plot.ExpandAroundCursor();
  EXPECT_EQ(plot.ViewWidth(), 32);
  plot.ShowFullSpectrum();
  plot.CompressAroundCursor();
  EXPECT_EQ(plot.ViewWidth(), 1024);
  plot.SetViewWidth(40);
  plot.CompressFromLeft();
  EXPECT_EQ(plot.ViewWidth(), 80);
}

TEST(FitView, FullSpectrumShowsEverythingWhateverTheCursor) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(64);
  plot.SetCursorChannel(3000);
  plot.FitView(1);
  plot.ShowFullSpectrum();
  EXPECT_EQ(plot.First(), 0);
  EXPECT_EQ(plot.Last(), 4095);
}

TEST(FitView, ExpandFromLeftKeepsTheFirstChannel) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(1024);
  plot.SetCursorChannel(1500);
  plot.FitView(1);
  ASSERT_EQ(plot.First(), 988);
  plot.ExpandFromLeft();
  EXPECT_EQ(plot.First(), 988);
  EXPECT_EQ(plot.Last(), 988 + 511);
  EXPECT_EQ(plot.Cursor(), 1499);  // clamped into the narrower view
}

TEST(FitView, PaintModeOnlyFixesTheView) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(10);
  plot.TakeRedraw();
  plot.FitView(100);
  EXPECT_EQ(plot.ViewWidth(), 32);
  EXPECT_EQ(plot.TakeRedraw(), RedrawKind::None);
  EXPECT_FALSE(plot.TakeCursorMoved());
}

TEST(Scrolling, HorizontalScrollBarSteps) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(256);
  plot.SetCursorChannel(1128);
  plot.FitView(1);
  ASSERT_EQ(plot.First(), 1000);
  plot.TakeRedraw();
  plot.HorizontalScroll(ScrollAction::LineForward);
  EXPECT_EQ(plot.First(), 1016);
  plot.HorizontalScroll(ScrollAction::PageBack);
  EXPECT_EQ(plot.First(), 888);
  plot.HorizontalScroll(ScrollAction::Thumb, 5000);
  EXPECT_EQ(plot.Last(), 4095);
  EXPECT_EQ(plot.First(), 4096 - 256);
  EXPECT_GE(plot.Cursor(), plot.First());
  EXPECT_EQ(plot.TakeRedraw(), RedrawKind::Partial);
}

// ---------------------------------------------------------------- keyboard

TEST(Keyboard, ArrowStepsGrowWithRepeatsAndScrollAtTheEdges) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(64);
  plot.SetCursorChannel(100);
  plot.FitView(1);  // 68 .. 131
  plot.KeyPress(PlotKey::Right, false, false);
  EXPECT_EQ(plot.Cursor(), 101);
  for (int i = 0; i < 15; ++i) plot.KeyPress(PlotKey::Right, false, false);
  EXPECT_EQ(plot.Cursor(), 116);
  plot.KeyPress(PlotKey::Right, false, false);  // 17th press: step 2
  EXPECT_EQ(plot.Cursor(), 118);
  plot.KeyRelease();
  EXPECT_EQ(plot.KeyRepeatCount(), 0);

  plot.SetCursorChannel(131);
  plot.KeyPress(PlotKey::Right, false, false);  // at the last channel: the view moves
  EXPECT_EQ(plot.First(), 69);
  EXPECT_EQ(plot.Last(), 132);
  EXPECT_EQ(plot.Cursor(), 132);
  plot.KeyRelease();
  plot.SetCursorChannel(69);
  plot.KeyPress(PlotKey::Left, false, false);
  EXPECT_EQ(plot.First(), 68);
  EXPECT_EQ(plot.Cursor(), 68);
}

TEST(Keyboard, LeftAtChannelZeroStaysAtZero) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(64);
  plot.SetCursorChannel(0);
  plot.FitView(1);
  plot.KeyPress(PlotKey::Left, false, false);
  EXPECT_EQ(plot.First(), 0);
  EXPECT_EQ(plot.Cursor(), 0);
}

TEST(Keyboard, OtherKeys) {
  SpectrumPlot plot(0, true);
  plot.KeyPress(PlotKey::Up, false, false);
  EXPECT_EQ(plot.LinearScale(), 8);
  plot.KeyPress(PlotKey::Down, false, false);
  plot.KeyPress(PlotKey::Down, false, false);
  EXPECT_EQ(plot.LinearScale(), 10);
  plot.KeyPress(PlotKey::ZoomIn, false, false);
  EXPECT_EQ(plot.ViewWidth(), 2048);
  plot.KeyPress(PlotKey::ZoomOut, false, false);
  EXPECT_EQ(plot.ViewWidth(), 4096);
  plot.KeyPress(PlotKey::Space, false, false);
  EXPECT_EQ(plot.DrawStyle(), 2);
  for (int i = 0; i < 2; ++i) plot.KeyPress(PlotKey::Space, false, false);
  EXPECT_EQ(plot.DrawStyle(), 0);
  plot.KeyPress(PlotKey::Right, false, false);
  plot.KeyPress(PlotKey::Other, false, false);
  EXPECT_EQ(plot.KeyRepeatCount(), 0);
}

// ---------------------------------------------------------------- mouse

TEST(Mouse, PressMovesTheCursorAndActivatesThePlot) {
  struct Host : IPlotHost {
    int focused = 0;
    int peakInfo = 0;
    void PlotFocused(SpectrumPlot&) override { ++focused; }
    void PaneCaptionUpdated(SpectrumPlot&) override {}
    void PeakInfoDue(SpectrumPlot&) override { ++peakInfo; }
  } host;
  SpectrumPlot plot(2, true, &host);
  plot.LeftPress(700);
  EXPECT_EQ(host.focused, 1);
  EXPECT_EQ(plot.Cursor(), 700);
  EXPECT_TRUE(plot.UnitsRefresh());
  EXPECT_GE(host.peakInfo, 1);
  EXPECT_TRUE(plot.PointerCaptured());
  plot.LeftRelease();
  EXPECT_FALSE(plot.PointerCaptured());
  plot.LeftDoubleClick();
  EXPECT_EQ(plot.ViewWidth(), 2048);
  plot.RightDoubleClick();
  EXPECT_EQ(plot.ViewWidth(), 4096);
  plot.Wheel(240);
  EXPECT_EQ(plot.LinearScale(), 11);
  plot.Wheel(-119);
  EXPECT_EQ(plot.LinearScale(), 11);
}

TEST(Mouse, DraggingPastTheEdgesScrolls) {
  SpectrumPlot plot(0, true);
  plot.SetViewWidth(256);
  plot.SetCursorChannel(1128);
  plot.FitView(1);  // 1000 .. 1255
  const PlotGeometry g = PlotGeometry::From(ClientRect{0, 0, 600, 400}, plot.ViewWidth());
  plot.LeftPress(1100);
  plot.PointerMove(-5, g);
  EXPECT_EQ(plot.First(), 996);  // step N / 64
  EXPECT_EQ(plot.Cursor(), 996);
  plot.PointerMove(-3, g);  // not further left: no scroll
  EXPECT_EQ(plot.First(), 996);
  plot.PointerMove(-9, g);
  EXPECT_EQ(plot.First(), 992);
  plot.PointerMove(650, g);
  EXPECT_EQ(plot.First(), 996);
  EXPECT_EQ(plot.Cursor(), plot.Last());
  plot.LeftRelease();
  plot.PointerMove(700, g);  // no button held: nothing
  EXPECT_EQ(plot.First(), 996);
}

}  // namespace
}  // namespace mirvo
