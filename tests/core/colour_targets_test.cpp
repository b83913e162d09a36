// The ADJUST COLORS targets: which plots S0..S3 and ALL name in the shown set, one colour set at a
// time, the defaults restored on the target only.
#include <gtest/gtest.h>

#include <memory>

#include "display/ColourTargets.h"
#include "display/RecordSets.h"
#include "protocol/RegisterImage.h"

using namespace mirvo;

class ColourTargetsTest : public ::testing::Test {
 protected:
  std::unique_ptr<SpectrumMemory> memory = std::make_unique<SpectrumMemory>();
  RecordSets sets{*memory};

  void ShowFileSet() {
    sets.SelectTab(0, kFileSet);
    sets.SyncIfRequested();
    ASSERT_EQ(sets.ShownSetMode(), kFileSet);
  }
};

TEST_F(ColourTargetsTest, TargetsNameThePlotsOfTheShownSet) {
  struct Case {
    bool fileShown;
    int target;
    std::vector<int> spectra;
  };
  // The BUFFER cases first: once the FILE set is shown it stays shown.
  for (const Case& c : {Case{false, 0, {0}}, Case{false, 3, {3}}, Case{false, kColourTargetAll, {0, 1, 2, 3}},
                        Case{false, 5, {}}, Case{false, -1, {}}, Case{true, 2, {2}},
                        Case{true, kColourTargetAll, {0, 1, 2, 3}}}) {
    if (c.fileShown && sets.ShownSetMode() != kFileSet) ShowFileSet();
    const std::vector<SpectrumPlot*> plots = ColourTargetPlots(sets, c.target);
    ASSERT_EQ(plots.size(), c.spectra.size()) << c.target;
    for (std::size_t i = 0; i < plots.size(); ++i) {
      EXPECT_EQ(plots[i], &sets.Plot(c.spectra[i], c.fileShown ? kFileSet : kBufferSet)) << c.target;
    }
  }
}

TEST_F(ColourTargetsTest, OneColourChangesAndAsksForAFullRedraw) {
  SetTargetColour(sets, 1, ColourRole::Roi, 0x00FF00);
  PlotColours expected;
  expected.roi = 0x00FF00;
  EXPECT_EQ(sets.BufferPlot(1).Colours(), expected);
  EXPECT_EQ(sets.BufferPlot(1).TakeRedraw(), RedrawKind::Full);
  EXPECT_EQ(sets.BufferPlot(0).Colours(), PlotColours{});
  EXPECT_EQ(sets.FilePlot(1).Colours(), PlotColours{});

  for (ColourRole role : {ColourRole::Background, ColourRole::Spectrum, ColourRole::Cursor}) {
    SetTargetColour(sets, 1, role, 0x123456);
    EXPECT_EQ(ColourOf(sets.BufferPlot(1).Colours(), role), 0x123456u);
  }
}

TEST_F(ColourTargetsTest, DefaultRestoresTheTargetOnly) {
  SetTargetColour(sets, kColourTargetAll, ColourRole::Background, 0x202020);
  RestoreTargetColours(sets, 2);
  EXPECT_EQ(sets.BufferPlot(2).Colours(), PlotColours{});
  for (int k : {0, 1, 3}) EXPECT_EQ(sets.BufferPlot(k).Colours().background, 0x202020u) << k;
}
