#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/PlotGeometry.h"
#include "display/SpectrumPlot.h"

namespace mirvo {
namespace {

// A client area in which pixel x + 20 is channel x of the full 4096-channel view.
const ClientRect kOnePixelPerChannel{0, 0, 4096 + 30, 400};

std::string MarkedRuns(const SpectrumPlot& plot) {
  std::string runs;
  for (int ch = 0; ch < plot.SoftSize(); ++ch) {
    if (!plot.SoftRoi(ch) || (ch > 0 && plot.SoftRoi(ch - 1))) continue;
    int end = ch;
    while (end + 1 < plot.SoftSize() && plot.SoftRoi(end + 1)) ++end;
    if (!runs.empty()) runs.push_back(',');
    runs.append(std::to_string(ch)).push_back('-');
    runs.append(std::to_string(end));
  }
  return runs;
}

// Marks with both buttons: left held, right pressed at the first channel, then the pointer moves.
void DragMark(SpectrumPlot& plot, const std::vector<int>& path) {
  const PlotGeometry g = PlotGeometry::From(kOnePixelPerChannel, plot.ViewWidth());
  plot.LeftPress(path.front());
  plot.RightPress(path.front());
  for (std::size_t i = 1; i < path.size(); ++i) plot.PointerMove(g.ChannelToX(path[i], plot.First(), plot.ViewWidth()), g);
  plot.RightRelease();
  plot.LeftRelease();
}

struct MarkCase {
  const char* name;
  int mode;
  std::vector<int> existing;  // an existing ROI: first, last (or empty)
  std::vector<int> path;
  const char* runs;
};

class RoiMarking : public ::testing::TestWithParam<MarkCase> {};

TEST_P(RoiMarking, LeavesTheExpectedRuns) {
  const MarkCase c = GetParam();
  SpectrumPlot plot(0, true);
  plot.SetRoiMode(c.mode);
  if (!c.existing.empty())
    for (int ch = c.existing[0]; ch <= c.existing[1]; ++ch) plot.SetChannelRoi(ch, true);
  DragMark(plot, c.path);
  EXPECT_EQ(MarkedRuns(plot), c.runs);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RoiMarking,
    ::testing::Values(MarkCase{"MarkOverOnlyGrows", 0, {}, {100, 120, 110}, "100-120"},
                      MarkCase{"FromCursorFollowsTheCursor", 1, {}, {100, 120, 110}, "100-110"},
                      MarkCase{"FromCursorAcrossTheAnchor", 1, {}, {100, 120, 90}, "90-100"},
                      MarkCase{"FromCursorLeftward", 1, {}, {100, 80, 95}, "95-100"},
                      MarkCase{"FromCursorStopsBeforeAnotherRoi", 1, {130, 140}, {100, 150}, "100-140"},
                      MarkCase{"FromCursorStopsBeforeAnotherRoiOnTheLeft", 1, {60, 70}, {100, 50}, "60-100"},
                      MarkCase{"FromCursorBackingOffLeavesTheOtherRoi", 1, {130, 140}, {100, 150, 110}, "100-110,130-140"},
                      MarkCase{"MarkOverMergesWithAnotherRoi", 0, {130, 140}, {100, 150}, "100-150"},
                      MarkCase{"MarkOverMergesOnTheLeft", 0, {60, 70}, {100, 50}, "50-100"}),
    [](const ::testing::TestParamInfo<MarkCase>& info) { return std::string(info.param.name); });

TEST(RoiMarking, RightHeldThenLeftPressUnmarks) {
  SpectrumPlot plot(0, true);
  for (int ch = 100; ch <= 120; ++ch) plot.SetChannelRoi(ch, true);
  const PlotGeometry g = PlotGeometry::From(kOnePixelPerChannel, plot.ViewWidth());
  plot.RightPress(110);
  plot.LeftPress(110);
  EXPECT_TRUE(plot.Unmarking());
  plot.PointerMove(g.ChannelToX(125, plot.First(), plot.ViewWidth()), g);
  plot.LeftRelease();
  EXPECT_FALSE(plot.Unmarking());
  EXPECT_EQ(MarkedRuns(plot), "100-109");
}

TEST(RoiMarking, LeavingTheClientAreaEndsTheMarking) {
  SpectrumPlot plot(0, true);
  const PlotGeometry g = PlotGeometry::From(kOnePixelPerChannel, plot.ViewWidth());
  plot.LeftPress(100);
  plot.RightPress(100);
  plot.PointerMove(-4, g);
  EXPECT_FALSE(plot.Marking());
  plot.PointerMove(g.ChannelToX(150, plot.First(), plot.ViewWidth()), g);
  EXPECT_EQ(MarkedRuns(plot), "100-100");
}

TEST(RoiMarking, ShiftArrowsMarkAndCtrlArrowsUnmark) {
  SpectrumPlot plot(0, true);
  plot.SetCursorChannel(100);
  plot.KeyPress(PlotKey::Right, true, false);  // first press marks the old cursor position
  EXPECT_EQ(MarkedRuns(plot), "100-100");
  plot.KeyPress(PlotKey::Right, true, false);
  plot.KeyPress(PlotKey::Right, true, true);  // Shift wins over Ctrl
  EXPECT_EQ(MarkedRuns(plot), "100-103");
  plot.KeyRelease();
  EXPECT_FALSE(plot.Marking());
  plot.KeyPress(PlotKey::Left, false, true);
  plot.KeyPress(PlotKey::Left, false, true);
  EXPECT_EQ(plot.Cursor(), 101);
  EXPECT_EQ(MarkedRuns(plot), "100-100");
}

TEST(RoiMarking, MarksFollowTheFactor) {
  SpectrumPlot plot(0, true);
  plot.SetSizes(4096, 2048);
  DragMark(plot, {10, 12});
  for (int h = 20; h <= 25; ++h) EXPECT_EQ(plot.Record().hardRoi[static_cast<std::size_t>(h)], 1) << h;
  EXPECT_EQ(plot.Record().hardRoi[19], 0);
  EXPECT_EQ(plot.Record().hardRoi[26], 0);
}

TEST(FindRoiAtCursor, FindsTheWholeRunOrTheWholeSpectrum) {
  SpectrumPlot plot(0, true);
  plot.SetSizes(4096, 512);
  for (int ch = 500; ch <= 511; ++ch) plot.SetChannelRoi(ch, true);
  plot.SetChannelRoi(0, true);
  plot.MoveCursor(505);
  ASSERT_TRUE(plot.FindRoiAtCursor());
  EXPECT_EQ(plot.RoiFirst(), 500);
  EXPECT_EQ(plot.RoiLast(), 511);
  plot.MoveCursor(0);
  ASSERT_TRUE(plot.FindRoiAtCursor());
  EXPECT_EQ(plot.RoiFirst(), 0);
  EXPECT_EQ(plot.RoiLast(), 0);
  plot.MoveCursor(200);
  EXPECT_FALSE(plot.FindRoiAtCursor());
  EXPECT_EQ(plot.RoiFirst(), 0);
  EXPECT_EQ(plot.RoiLast(), 511);
}

}  // namespace
}  // namespace mirvo
