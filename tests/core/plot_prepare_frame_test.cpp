// The model's share of a paint, taken before the widget draws: the soft spectrum from the hard
// counts, the view limited, the frame worked out, then the automatic scale from that frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "display/PlotFrame.h"
#include "display/PlotGeometry.h"
#include "display/SpectrumPlot.h"

namespace mirvo {
namespace {

const ClientRect kClient{0, 0, 4096 + 30, 512 + 45};  // H = 512, one pixel per channel

// "%4.4s  " of the full-scale label.
std::string ScaleText(int s) {
  const std::string label = kFullScaleLabels[static_cast<std::size_t>(s)];
  return std::string(4 - label.size(), ' ') + label + "  ";
}

TEST(PrepareFrame, TheFrameShowsTheScaleItWasDrawnWithAndTheAutomaticScaleMovesAfter) {
  struct Case {
    const char* what;
    bool automatic;
    std::uint32_t peak;
    int scaleAfter;
    bool redrawAsked;
  };
  const Case cases[] = {
      {"fixed scale: a peak far over full scale changes nothing", false, 5000, 9, false},
      {"automatic: a peak over full scale raises the scale", true, 5000, 13, true},
      {"automatic: a peak between a quarter and full scale stays", true, 300, 9, false},
      {"automatic: a low peak lowers the scale", true, 51, 6, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SpectrumPlot plot(0, true);
    if (c.automatic) plot.ToggleAutomaticScale();
    plot.Record().hardCounts[2000] = c.peak;  // the soft spectrum still holds 0 there
    plot.TakeRedraw();
    PlotFrame frame;
    ASSERT_TRUE(PrepareFrame(plot, kClient, frame));
    // Drawn at s = 9 from the counts as they are now.
    EXPECT_EQ(frame.highestY, frame.geometry.bottom - LinearHeight(c.peak, 9, 512));
    EXPECT_EQ(frame.labels.scaleText, ScaleText(9));
    EXPECT_EQ(plot.LinearScale(), c.scaleAfter);
    EXPECT_EQ(plot.PendingRedraw(), c.redrawAsked ? RedrawKind::Partial : RedrawKind::None);
    // The next frame shows the new scale.
    ASSERT_TRUE(PrepareFrame(plot, kClient, frame));
    EXPECT_EQ(frame.labels.scaleText, ScaleText(c.scaleAfter));
  }
}

TEST(PrepareFrame, SoftChannelsFollowTheHardCountsOfThePaint) {
  struct Case {
    int softSize;
    int hardFirst, hardLast;  // each set to 1
    int softChannel;
    std::uint32_t softCount;
  };
  const Case cases[] = {
      {4096, 100, 100, 100, 1},
      {2048, 100, 101, 50, 2},
      {1365, 4092, 4095, 1364, 4},  // the partial last soft channel joins the one before it
      {682, 4086, 4095, 681, 10},
      {512, 0, 7, 0, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.softSize);
    SpectrumPlot plot(0, true);
    plot.ApplySizes(4096, c.softSize);
    for (int ch = c.hardFirst; ch <= c.hardLast; ++ch) plot.Record().hardCounts[ch] = 1;
    ASSERT_EQ(plot.SoftCount(c.softChannel), 0u);
    PlotFrame frame;
    ASSERT_TRUE(PrepareFrame(plot, kClient, frame));
    EXPECT_EQ(plot.SoftCount(c.softChannel), c.softCount);
    EXPECT_EQ(frame.points.size(), static_cast<std::size_t>(c.softSize));
    const PlotPoint& point = frame.points[static_cast<std::size_t>(c.softChannel)];
    EXPECT_EQ(point.y, frame.geometry.bottom - LinearHeight(c.softCount, 9, 512));
  }
}

TEST(PrepareFrame, TheViewIsLimitedWithoutMovingTheCursorOrAskingForARedraw) {
  struct Case {
    const char* what;
    int widthSet;
    int width, first, last;
  };
  // The view starts at 3584 .. 4095: 512 channels around a cursor at 3900, which the end of the
  // spectrum moved to 3839.
  const Case cases[] = {
      {"a width within the limits keeps the view", 512, 512, 3584, 4095},
      {"too narrow: 32 channels from the same first", 8, 32, 3584, 3615},
      {"wider than the rest of the spectrum: it ends at the last channel", 1024, 1024, 3072, 4095},
      {"wider than the spectrum: everything", 9000, 4096, 0, 4095},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SpectrumPlot plot(0, true);
    plot.SetViewWidth(512);
    plot.SetCursorChannel(3900);
    plot.FitView(1);
    ASSERT_EQ(plot.First(), 3584);
    ASSERT_EQ(plot.Cursor(), 3839);
    plot.SetViewWidth(c.widthSet);
    plot.TakeRedraw();
    PlotFrame frame;
    ASSERT_TRUE(PrepareFrame(plot, kClient, frame));
    EXPECT_EQ(plot.ViewWidth(), c.width);
    EXPECT_EQ(plot.First(), c.first);
    EXPECT_EQ(plot.Last(), c.last);
    EXPECT_EQ(frame.first, c.first);
    EXPECT_EQ(frame.viewWidth, c.width);
    EXPECT_EQ(frame.points.size(), static_cast<std::size_t>(c.width));
    EXPECT_EQ(plot.Cursor(), 3839);
    EXPECT_EQ(plot.PendingRedraw(), RedrawKind::None);
  }
}

TEST(PrepareFrame, AFrameCarriesWhatThePainterNeedsOfThePlot) {
  SpectrumPlot plot(0, true);
  PlotColours colours;
  colours.spectrum = 0x123456;
  plot.SetColours(colours);
  plot.CycleDrawStyle();  // 2: outline
  PlotFrame frame;
  ASSERT_TRUE(PrepareFrame(plot, kClient, frame));
  EXPECT_EQ(frame.colours, colours);
  EXPECT_EQ(frame.drawStyle, 2);
  EXPECT_EQ(frame.labels.firstText, "0      ");
  EXPECT_EQ(frame.labels.lastText, "  4095 ");
}

TEST(PrepareFrame, AnEmptyClientAreaUpdatesTheModelButGivesNoFrame) {
  for (const ClientRect client : {ClientRect{0, 0, 0, 300}, ClientRect{0, 0, 600, 0}, ClientRect{10, 10, 5, 5}}) {
    SpectrumPlot plot(0, true);
    plot.ToggleAutomaticScale();
    plot.Record().hardCounts[10] = 100000;
    plot.SetViewWidth(8);
    plot.TakeRedraw();
    PlotFrame frame;
    EXPECT_FALSE(PrepareFrame(plot, client, frame));
    EXPECT_EQ(plot.SoftCount(10), 100000u);
    EXPECT_EQ(plot.ViewWidth(), 32);
    EXPECT_EQ(plot.LinearScale(), 9);  // nothing was drawn, so the automatic scale has nothing to look at
    EXPECT_EQ(plot.PendingRedraw(), RedrawKind::None);
    EXPECT_TRUE(frame.points.empty());
  }
}

}  // namespace
}  // namespace mirvo
