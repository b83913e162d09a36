// The pulse-shape panel against a plain BUFFER set: window encoding with the compression factors,
// the user's FROM/TO order across a refresh, ALL, the ROI marking and the messages.
#include "panels/PulseShapePanel.h"

#include <gtest/gtest.h>

#include "ScriptedDialogs.h"
#include "display/RecordSets.h"
#include "panels/RecordSetsPanelHost.h"

namespace mirvo {
namespace {

using End = PulseShapePanel::End;

// A host whose cursor ROI is scripted and that counts the ROI changes.
struct RoiHost : BufferSetPanelHost {
  using BufferSetPanelHost::BufferSetPanelHost;
  bool RoiAtCursor(int spectrum, int& first, int& last) override {
    asked = spectrum;
    if (!roiShown) return false;
    first = roiFirst;
    last = roiLast;
    return true;
  }
  void RoiFlagsChanged(int spectrum) override { changed.push_back(spectrum); }
  bool roiShown = false;
  int roiFirst = 0, roiLast = 0, asked = -1;
  std::vector<int> changed;
};

struct PsdFixture : ::testing::Test {
  PsdFixture() {
    panel.Initialise();
    for (unsigned r = 0x65; r <= 0x6C; r += 2) Live()[r + 1] = 4095;
  }
  RegisterImage& Live() { return buffers[0].registers; }
  void SetFactor(int spectrum, int factor) {
    buffers[static_cast<std::size_t>(spectrum)].factor = factor;
    buffers[static_cast<std::size_t>(spectrum)].softSize = 4096 / factor;
  }

  std::array<SpectrumRecord, 4> buffers;
  RoiHost host{buffers};
  test::ScriptedDialogs dialogs;
  PulseShapePanel panel{host, dialogs};
};

TEST_F(PsdFixture, UsersOrderSurvivesARefresh) {
  SetFactor(1, 4);  // soft size 1024
  panel.RefreshFromRecord();
  panel.OnTyped(0, End::kFrom, 300);
  panel.OnTyped(0, End::kTo, 100);
  EXPECT_EQ(Live()[0x65], 400);
  EXPECT_EQ(Live()[0x66], 1200);
  panel.RefreshFromRecord();
  EXPECT_EQ(panel.From(0), 300);
  EXPECT_EQ(panel.To(0), 100);
  // The instrument's order: a window typed low to high stays so.
  panel.OnTyped(0, End::kFrom, 50);
  panel.RefreshFromRecord();
  EXPECT_EQ(panel.From(0), 50);
  EXPECT_EQ(panel.To(0), 100);
}

TEST_F(PsdFixture, RefreshTruncatesToTheChannel) {
  SetFactor(1, 4);
  Live()[0x65] = 401;
  Live()[0x66] = 1203;
  panel.RefreshFromRecord();
  EXPECT_EQ(panel.From(0), 100);
  EXPECT_EQ(panel.To(0), 300);
  // TIPS windows use S0's factor.
  SetFactor(0, 3);
  Live()[0x6B] = 1000;
  Live()[0x6C] = 2000;
  panel.RefreshFromRecord();
  EXPECT_EQ(panel.From(3), 333);
  EXPECT_EQ(panel.To(3), 666);
}

TEST_F(PsdFixture, AllAtFactorsOneAndEight) {
  panel.RefreshFromRecord();
  struct Case {
    int factor, to;
    std::uint16_t upper;
  };
  for (const Case& c : {Case{1, 4095, 4095}, Case{8, 511, 4088}, Case{6, 681, 4086}}) {
    SetFactor(0, c.factor);
    panel.OnAll(2);
    EXPECT_EQ(panel.From(2), 0);
    EXPECT_EQ(panel.To(2), c.to);
    EXPECT_EQ(Live()[0x69], 0);
    EXPECT_EQ(Live()[0x6A], c.upper) << c.factor;
  }
  SetFactor(1, 8);
  panel.OnAll(0);
  EXPECT_EQ(panel.To(0), 511);
  EXPECT_EQ(Live()[0x66], 4088);
}

TEST_F(PsdFixture, TypedValuesClampToTheLargestChannel) {
  panel.RefreshFromRecord();
  SetFactor(0, 4);
  for (std::int64_t typed : {-1LL, 1024LL, 99999LL}) EXPECT_EQ(panel.OnTyped(1, End::kTo, typed), 1023) << typed;
  EXPECT_EQ(panel.OnTyped(1, End::kTo, 1023), 1023);
  EXPECT_EQ(Live()[0x68], 4092);
}

TEST_F(PsdFixture, NothingIsSentBeforeTheFirstRefresh) {
  const RegisterImage before = Live();
  panel.OnTyped(3, End::kFrom, 1200);
  panel.OnAll(2);
  EXPECT_EQ(Live(), before);
  EXPECT_EQ(panel.From(3), 1200);  // kept in the panel
}

TEST_F(PsdFixture, AndOptionsComeFromTheSettingsAndGoBack) {
  Live()[0x69] = 0x8000 | 10;
  Live()[0x6B] = 0x8000 | 20;
  panel.RefreshFromRecord();
  EXPECT_TRUE(panel.AndOption(2));
  EXPECT_TRUE(panel.AndOption(3));
  EXPECT_EQ(panel.From(2), 10);  // bit 15 is not part of the channel
  panel.OnTyped(2, End::kFrom, 11);
  EXPECT_EQ(Live()[0x69], 0x8000 | 11);
  EXPECT_EQ(Live()[0x6B], 0x8000 | 20);
  EXPECT_EQ(Live()[0x65] & 0x7000, 0);
}

TEST_F(PsdFixture, WindowFromTheCursorRoi) {
  panel.RefreshFromRecord();
  panel.OnFromRoi(3);
  EXPECT_EQ(host.asked, 0);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0], "Please, place the cursor within a ROI region of the BUFFER!");
  host.roiShown = true;
  host.roiFirst = 1200;
  host.roiLast = 1900;
  panel.OnFromRoi(3);
  EXPECT_EQ(panel.From(3), 1200);
  EXPECT_EQ(panel.To(3), 1900);
  EXPECT_EQ(Live()[0x6B], 1200);
  EXPECT_EQ(Live()[0x6C], 1900);
  // The pulse-height window only from S1.
  host.activeSpectrum = 0;
  panel.OnFromRoi(0);
  panel.OnAll(0);
  ASSERT_EQ(dialogs.messages.size(), 3u);
  EXPECT_EQ(dialogs.messages[1], "Please, place the cursor within a ROI region in the spectrum BUFFER S1!");
  EXPECT_EQ(dialogs.messages[2], "Please, place the cursor in the spectrum BUFFER S1!");
}

TEST(PsdMarking, MarkAndOverlap) {
  struct Case {
    const char* what;
    int setFlag;  // -1: none
    int a, b, q;
    bool marked;
  };
  for (const Case& c : {Case{"free range", -1, 10, 20, 1, true}, Case{"reversed window", -1, 20, 10, 1, true},
                        Case{"touches one channel at the end", 20, 10, 20, 1, false},
                        Case{"touches one channel at the start", 10, 10, 20, 1, false},
                        Case{"neighbour outside", 21, 10, 20, 1, true},
                        Case{"factor 4: 40 .. 80", 80, 10, 20, 4, false},
                        Case{"factor 4: 81 is outside", 81, 10, 20, 4, true}}) {
    FlagArray flags{};
    if (c.setFlag >= 0) flags[static_cast<std::size_t>(c.setFlag)] = 1;
    const FlagArray before = flags;
    EXPECT_EQ(MarkHardRoi(flags, c.a, c.b, c.q, true), c.marked) << c.what;
    if (!c.marked) {
      EXPECT_EQ(flags, before) << c.what;
      continue;
    }
    const int start = c.q * std::min(c.a, c.b), end = c.q * std::max(c.a, c.b);
    for (int i = start; i <= end; ++i) EXPECT_EQ(flags[static_cast<std::size_t>(i)], 1) << c.what << " " << i;
    EXPECT_EQ(flags[static_cast<std::size_t>(start - 1)], 0) << c.what;
  }
}

TEST_F(PsdFixture, MarkBackAndErase) {
  panel.RefreshFromRecord();
  panel.OnTyped(2, End::kFrom, 900);
  panel.OnTyped(2, End::kTo, 1100);
  buffers[0].hardRoi[1100] = 1;
  panel.OnMarkBack(2);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0], "ROI will overlap with an existing ROI. ROI Marking aborted!");
  EXPECT_EQ(buffers[0].hardRoi[900], 0);
  EXPECT_TRUE(host.changed.empty());
  panel.OnEraseAll(1);
  EXPECT_EQ(buffers[0].hardRoi[1100], 0);
  panel.OnMarkBack(2);
  EXPECT_EQ(buffers[0].hardRoi[900], 1);
  EXPECT_EQ(buffers[0].hardRoi[1100], 1);
  EXPECT_EQ(host.changed, (std::vector<int>{0, 0}));
  // the pulse-height window goes into S1
  panel.OnMarkBack(0);
  EXPECT_EQ(buffers[1].hardRoi[0], 1);
  EXPECT_EQ(host.changed.back(), 1);
}

TEST_F(PsdFixture, CalibratedPulseHeights) {
  panel.RefreshFromRecord();
  EXPECT_EQ(panel.UnitsCaption(), "[chn]");
  panel.OnTyped(0, End::kFrom, 100);
  EXPECT_EQ(panel.CalibratedFromText(), "100");
  buffers[1].working.enabled = 1;
  buffers[1].working.a = 0.0;
  buffers[1].working.b = 0.5;
  buffers[1].working.c = 1.0;
  buffers[1].working.unitIndex = 2;
  panel.OnTyped(0, End::kTo, 2000);
  EXPECT_EQ(panel.CalibratedFromText(), "51.00");
  EXPECT_EQ(panel.CalibratedToText(), "1001.00");
  EXPECT_EQ(panel.UnitsCaption(), "[keV]");
}

}  // namespace
}  // namespace mirvo

namespace mirvo {
namespace {

// The window's host over the record sets: the ROI at a BUFFER cursor, and marking seen in the plot.
TEST(PsdRecordSets, WindowFromTheCursorRoiOfTheBufferPlot) {
  auto memory = std::make_unique<SpectrumMemory>();
  RecordSets sets(*memory);
  RecordSetsPanelHost host(sets, nullptr);
  test::ScriptedDialogs dialogs;
  PulseShapePanel panel(host, dialogs);
  panel.Initialise();
  panel.RefreshFromRecord();

  SpectrumPlot& s0 = sets.BufferPlot(0);
  for (int ch = 1400; ch <= 1900; ++ch) s0.SetChannelRoi(ch, true);
  s0.MoveCursor(1200);  // outside the ROI
  panel.OnFromRoi(3);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  s0.MoveCursor(1600);
  panel.OnFromRoi(3);
  EXPECT_EQ(panel.From(3), 1400);
  EXPECT_EQ(panel.To(3), 1900);
  EXPECT_EQ(sets.LiveRecord().registers[0x6B], 1400);

  // Erased, then marked back: the soft flags follow the hard ones.
  panel.OnEraseAll(3);
  EXPECT_FALSE(s0.SoftRoi(1600));
  panel.OnMarkBack(3);
  EXPECT_TRUE(s0.SoftRoi(1400));
  EXPECT_TRUE(s0.SoftRoi(1900));
  EXPECT_FALSE(s0.SoftRoi(1901));
}

}  // namespace
}  // namespace mirvo
