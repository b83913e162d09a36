// The shaper panel against a plain BUFFER set: register encodings, the refresh rules and the
// handlers' limits.
#include "panels/ShaperPanel.h"

#include <gtest/gtest.h>

#include "ScriptedDialogs.h"

namespace mirvo {
namespace {

using Field = ShaperPanel::TimeField;

struct ShaperFixture : ::testing::Test {
  ShaperFixture() {
    panel.Initialise();
    Live()[0x0F] = 2u << 2;  // 8 ns
  }
  RegisterImage& Live() { return buffers[0].registers; }
  // The instrument reports what the panel wrote (a status read folded into the image).
  void Refresh() { panel.RefreshFromRecord(); }

  std::array<SpectrumRecord, 4> buffers;
  BufferSetPanelHost host{buffers};
  SamplePeriod period;
  test::ScriptedDialogs dialogs;
  ShaperPanel panel{host, period, dialogs};
};

TEST(ShaperTables, TipsGainBothWays) {
  struct Case {
    int gain, fast, slow;
    std::uint16_t reg;
  };
  for (const Case& c : {Case{8, 16, 240, 53}, Case{1, 16, 240, 7}, Case{500, 1020, 1, 500}, Case{1, 1, 2040, 1},
                        Case{100, 16, 240, 667 > 500 ? 500 : 667}})
    EXPECT_EQ(TipsGainRegister(c.gain, c.fast, c.slow), c.reg) << c.gain << " " << c.fast << " " << c.slow;

  struct Back {
    std::uint16_t reg;
    int fast, slow, gain;
  };
  // 53 x 240 / 1600 = 7.95 -> 8, and 8 gives 53 again; 54 -> 8.1 -> 8 gives 53 < 54, so 9.
  for (const Back& b : {Back{53, 16, 240, 8}, Back{54, 16, 240, 9}, Back{500, 1, 2040, 100}, Back{0, 16, 240, 1}})
    EXPECT_EQ(TipsGainFromRegister(b.reg, b.fast, b.slow), b.gain) << b.reg;
}

TEST(ShaperTables, DerivedWords) {
  struct Case {
    int R, F, r, f;
    DerivedShaperWords words;
  };
  for (const Case& c : {Case{200, 50, 16, 1, {256, 196, 400, 24, 5, 2 * (50 + 200 - 16) + 12 - 1}},
                        Case{240, 1, 16, 1, {248, 236, 480, 28, 5, 464}},
                        // unsigned 16-bit arithmetic: R - 4 wraps for R below 4
                        Case{1, 1, 1, 1, {2, 0xFFFD, 2, 4, 4, 1}}}) {
    const DerivedShaperWords w = DeriveShaperWords(c.R, c.F, c.r, c.f);
    EXPECT_EQ(w.r20, c.words.r20);
    EXPECT_EQ(w.r21, c.words.r21);
    EXPECT_EQ(w.r26, c.words.r26);
    EXPECT_EQ(w.r27, c.words.r27);
    EXPECT_EQ(w.r28, c.words.r28);
    EXPECT_EQ(w.r29, c.words.r29) << c.R;
  }
}

TEST(ShaperTables, SymmetryText) {
  struct Case {
    const char* text;
    bool take;
    int value;
  };
  for (const Case& c : {Case{"-", false, 0}, Case{"-25", true, -25}, Case{"25", true, 25}, Case{"12345", true, 10000},
                        Case{"-12345", true, -10000}, Case{"2-5", true, -25}, Case{"--7", true, -7},
                        Case{"abc", false, 0}, Case{"", false, 0}}) {
    const SymmetryParse p = ParseSymmetryText(c.text);
    EXPECT_EQ(p.take, c.take) << c.text;
    if (c.take) {
      EXPECT_EQ(p.value, c.value) << c.text;
    }
  }
}

TEST(ShaperTables, ListTexts) {
  EXPECT_EQ(AutoMarginText(0), "1");
  EXPECT_EQ(AutoMarginText(1), "1.25");
  EXPECT_EQ(AutoMarginText(kAutoMarginEntries - 1), "7.75");
  EXPECT_EQ(BdcText(1), "1.125");
  EXPECT_EQ(BdcText(kBdcEntries - 1), "4.875");
}

TEST_F(ShaperFixture, DefaultTipsGainWritesFiftyThreeAndReadsBackEight) {
  panel.CommitChange(false);
  EXPECT_EQ(Live()[shaper_reg::kTipsGain], 53);
  Live()[shaper_reg::kTipsGain] = 54;
  Refresh();
  EXPECT_EQ(panel.TipsGain(), 9);
  Live()[shaper_reg::kTipsGain] = 53;
  Refresh();
  EXPECT_EQ(panel.TipsGain(), 8);
}

TEST_F(ShaperFixture, TipsGainOutsideRangeIsRefused) {
  panel.CommitChange(false);
  for (std::int64_t typed : {0, 501, -3}) {
    dialogs.messages.clear();
    EXPECT_FALSE(panel.OnTipsGainTyped(typed));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Enter an integer between 1 and 500.");
    EXPECT_EQ(panel.TipsGain(), 8);
    EXPECT_EQ(Live()[shaper_reg::kTipsGain], 53);
  }
  EXPECT_TRUE(panel.OnTipsGainTyped(500));
  EXPECT_EQ(Live()[shaper_reg::kTipsGain], 500);  // 500 x 16 x 100 / 240, limited
}

TEST_F(ShaperFixture, ZeroThresholdIsAutoBothWays) {
  panel.CommitChange(false);
  for (unsigned r = 0x22; r <= 0x25; ++r) EXPECT_EQ(Live()[r], 0xFFFF) << r;
  EXPECT_TRUE(panel.SlowAutoShown());
  EXPECT_TRUE(panel.AutoMarginCaptionShown());

  panel.OnThresholdSlowChanged(10);  // 10 x 2400
  EXPECT_EQ(Live()[0x22] | (Live()[0x23] << 16), 24000u);
  EXPECT_FALSE(panel.SlowAutoShown());
  EXPECT_TRUE(panel.AutoMarginCaptionShown());  // the fast one is still AUTO
  panel.OnThresholdFastChanged(3);              // 3 x 160
  EXPECT_EQ(Live()[0x24], 480);
  EXPECT_FALSE(panel.AutoMarginCaptionShown());

  Live()[0x22] = Live()[0x23] = 0xFFFF;  // the instrument says AUTO again
  Refresh();
  EXPECT_EQ(panel.ThresholdSlow(), 0);
  EXPECT_EQ(panel.ThresholdFast(), 3);
}

TEST_F(ShaperFixture, ThresholdsInChannelsOfSpectrumOne) {
  buffers[1].factor = 4;  // soft size 1024
  panel.OnThresholdSlowChanged(10);
  EXPECT_EQ(Live()[0x22] | (Live()[0x23] << 16), 10u * 4u * 2400u);
  panel.OnConnected("COM3");  // remembered values -100: shown again
  Refresh();
  EXPECT_EQ(panel.ThresholdSlow(), 10);
  // above 2048 instrument channels the value is limited
  const std::uint32_t big = 3000u * 2400u;
  Live()[0x22] = static_cast<std::uint16_t>(big & 0xFFFF);
  Live()[0x23] = static_cast<std::uint16_t>(big >> 16);
  Refresh();
  EXPECT_EQ(panel.ThresholdSlow(), 2048 / 4);
}

TEST_F(ShaperFixture, EstimatedThresholds) {
  Refresh();
  const std::uint32_t slow = 20u * 2400u, fast = 25u * 160u;
  Live()[0x30] = static_cast<std::uint16_t>(slow & 0xFFFF);
  Live()[0x31] = static_cast<std::uint16_t>(slow >> 16);
  Live()[0x34] = static_cast<std::uint16_t>(fast);
  Live()[0x02] = 240;
  Live()[0x04] = 16;
  Live()[0x14] = 2400;
  Live()[0x15] = 0x8000;
  Refresh();
  EXPECT_EQ(panel.EstimatedSlowText(), "20");
  EXPECT_EQ(panel.EstimatedFastText(), "25");
}

TEST_F(ShaperFixture, GainNormalisation) {
  struct Case {
    const char* what;
    bool fine;
    int bdc;
    int hardSize;
    std::uint32_t factor;
  };
  for (const Case& c : {Case{"rise 240, 4096, BDC 1", false, 0, 4096, 2400},
                        Case{"hard size 0 counts as 4096", false, 0, 0, 2400},
                        Case{"BDC 2", false, 8, 4096, 4800},
                        Case{"hard size 1024", false, 0, 1024, 9600},
                        // 4000 x 2400 / (2^8 x 8) = 4687.5
                        Case{"FINE", true, 0, 4096, 4688}}) {
    SpectrumRecord settings;
    settings.hardSize = c.hardSize;
    settings.registers[0x02] = 240;
    settings.registers[0x04] = 16;
    settings.registers[0x3E] = 8;
    panel.OnFineToggled(c.fine);
    panel.OnListSelected(ShaperPanel::List::kBdc, c.bdc);
    panel.ComputeGainNormalisation(settings);
    EXPECT_EQ(panel.SlowNormalisation(), c.factor) << c.what;
    EXPECT_EQ(settings.registers[0x14] | ((settings.registers[0x15] & 0x3FFF) << 16), c.factor) << c.what;
    EXPECT_EQ(settings.registers[0x15] & 0x8000, 0x8000) << c.what;
    EXPECT_EQ((settings.registers[0x15] & 0x4000) != 0, c.fine) << c.what;
    EXPECT_EQ(panel.FastNormalisation(), static_cast<std::uint32_t>(std::lround(16.0 * c.factor / 240))) << c.what;
    EXPECT_EQ(settings.hardSize, c.hardSize == 0 ? 4096 : c.hardSize);
  }
  // AUTO off: the FACTOR field, 0 never reaching the register.
  panel.OnFineToggled(false);
  panel.OnAutoToggled(false);
  EXPECT_TRUE(panel.FactorEditable());
  EXPECT_FALSE(panel.FineAndBdcUsable());
  panel.OnFactorChanged(70000);
  EXPECT_EQ(Live()[0x14], 70000 & 0xFFFF);
  EXPECT_EQ(Live()[0x15], 1);  // 70000 >> 16, AUTO and FINE clear
  EXPECT_EQ(panel.OnFactorChanged(0), 1u);
  EXPECT_EQ(panel.OnFactorChanged(999999), kFactorMax);
}

TEST_F(ShaperFixture, NormalisationFollowsTheRiseBeforeTheThresholdIsWritten) {
  panel.OnThresholdSlowChanged(10);
  panel.OnTimeChanged(Field::kSlowRise, 120);  // factor 1200, then the threshold with it
  EXPECT_EQ(Live()[0x22] | (Live()[0x23] << 16), 12000u);
  EXPECT_EQ(Live()[0x14], 1200);
}

TEST_F(ShaperFixture, RiseTwoHundredFlatFifty) {
  panel.OnTimeChanged(Field::kSlowRise, 200);
  panel.OnTimeChanged(Field::kSlowFlat, 50);
  EXPECT_EQ(Live()[0x20], 256);
  EXPECT_EQ(Live()[0x21], 196);
  EXPECT_EQ(Live()[0x02], 200);
  EXPECT_EQ(Live()[0x03], 50);
}

TEST_F(ShaperFixture, FieldsClampToTheirRanges) {
  EXPECT_EQ(panel.OnTimeChanged(Field::kSlowRise, 0), 1);
  EXPECT_EQ(panel.OnTimeChanged(Field::kSlowRise, 5000), 2040);
  EXPECT_EQ(panel.OnTimeChanged(Field::kSlowFlat, 600), 511);
  EXPECT_EQ(panel.OnTimeChanged(Field::kFastRise, 2000), 1020);
  EXPECT_EQ(panel.OnTimeChanged(Field::kFastFlat, -4), 1);
  EXPECT_EQ(panel.OnLongTcChanged(9000), 8191);
  EXPECT_EQ(panel.OnShortTcChanged(-1), 0);
  EXPECT_EQ(panel.OnThresholdSlowChanged(3000), 2048);
  EXPECT_EQ(panel.OnBlrSlowChanged(2000), 1023);
  EXPECT_EQ(panel.OnBlrFastChanged(300), 255);
}

TEST_F(ShaperFixture, ClockCodeChangeRewritesEveryMicrosecondField) {
  Live()[0x02] = 240;
  Live()[0x03] = 1;
  Live()[0x04] = 16;
  Live()[0x05] = 1;
  Live()[0x0B] = 4000;
  Live()[0x0A] = 32;
  Refresh();
  EXPECT_EQ(panel.TimeUsText(Field::kSlowRise), "1.9200");
  EXPECT_EQ(panel.LongTcUsText(), "4.0000");
  EXPECT_EQ(panel.ShortTcUsText(), "32.0");
  Live()[0x0F] = 0;  // 12.5 ns; no time register changed
  Refresh();
  EXPECT_TRUE(period.ClockChanged());
  EXPECT_DOUBLE_EQ(period.Us(), 0.0125);
  EXPECT_EQ(panel.TimeUsText(Field::kSlowRise), "3.0000");
  EXPECT_EQ(panel.TimeUsText(Field::kFastRise), "0.2000");
  EXPECT_EQ(panel.TimeUsText(Field::kSlowFlat), "0.0125");
  EXPECT_EQ(panel.LongTcUsText(), "6.2500");
  EXPECT_EQ(panel.ShortTcUsText(), "50.0");
  Refresh();
  EXPECT_FALSE(period.ClockChanged());
}

TEST(ShaperClock, FirstRefreshAppliesTheTableEvenForCodeZero) {
  std::array<SpectrumRecord, 4> buffers;
  BufferSetPanelHost host{buffers};
  SamplePeriod period;
  test::ScriptedDialogs dialogs;
  ShaperPanel panel{host, period, dialogs};
  panel.Initialise();
  buffers[0].registers[0x0F] = 0;
  EXPECT_DOUBLE_EQ(period.Us(), 0.008);
  panel.RefreshFromRecord();
  EXPECT_DOUBLE_EQ(period.Us(), 0.0125);
  EXPECT_TRUE(period.ClockChanged());
  for (int code : {1, 3, 2}) {
    buffers[0].registers[0x0F] = static_cast<std::uint16_t>(code << 2 | 0x0E00);
    panel.RefreshFromRecord();
    EXPECT_DOUBLE_EQ(period.Ns(), SamplePeriod::NanosecondsOfCode(code));
  }
}

TEST(ShaperClock, RefreshWithoutRecordSaysPointer) {
  struct NoRecords : BufferSetPanelHost {
    using BufferSetPanelHost::BufferSetPanelHost;
    SpectrumRecord* SettingsRecord() override { return nullptr; }
  };
  std::array<SpectrumRecord, 4> buffers;
  NoRecords host{buffers};
  SamplePeriod period;
  test::ScriptedDialogs dialogs;
  ShaperPanel panel{host, period, dialogs};
  panel.Initialise();
  panel.RefreshFromRecord();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0], "Pointer?");
}

TEST_F(ShaperFixture, ListsAndFlagsFromTheRegisters) {
  Live()[0x47] = static_cast<std::uint16_t>(0x8000 | (31u << 10) | (2u << 5) | 9u);
  Live()[0x0D] = 0x8000 | 0x0123;  // rejector off, not enhanced
  Live()[0x1E] = 0x4000 | 700;
  Live()[0x1F] = 0x8000 | 200;
  Live()[0x6F] = static_cast<std::uint16_t>(-300);
  Refresh();
  EXPECT_EQ(panel.MarginIndex(ShaperPanel::List::kSlowMargin), 5);
  EXPECT_EQ(panel.MarginIndex(ShaperPanel::List::kFastMargin), 0);  // a code below 4 counts as 4
  EXPECT_EQ(panel.MarginIndex(ShaperPanel::List::kBdc), 31);
  EXPECT_DOUBLE_EQ(panel.BdcValue(), 4.875);
  EXPECT_FALSE(panel.PileUpOn());
  EXPECT_FALSE(panel.Enhanced());
  EXPECT_EQ(panel.BlrSlow(), 700);
  EXPECT_FALSE(panel.SlowSym());
  EXPECT_TRUE(panel.Acc());
  EXPECT_EQ(panel.BlrFast(), 200);
  EXPECT_TRUE(panel.FastSym());
  EXPECT_EQ(panel.SymmetryText(), "-300");

  // An open list keeps the user's selection against a refresh.
  panel.OnListDropped(ShaperPanel::List::kSlowMargin);
  Live()[0x47] = static_cast<std::uint16_t>((Live()[0x47] & ~0x1Fu) | 20u);
  Refresh();
  EXPECT_EQ(panel.MarginIndex(ShaperPanel::List::kSlowMargin), 5);
  panel.OnListSelected(ShaperPanel::List::kSlowMargin, 27);
  EXPECT_FALSE(panel.ListOpen(ShaperPanel::List::kSlowMargin));
  EXPECT_EQ(Live()[0x47] & 0x1F, 31);
  EXPECT_EQ(Live()[0x47] & 0x8000, 0x8000);    // bit 15 left alone
  EXPECT_EQ(Live()[0x0D] & 0x3FFF, 0x0123);    // bits 13:0 left alone
  EXPECT_EQ(Live()[0x0D] & 0xC000, 0x8000);
}

TEST_F(ShaperFixture, SymmetryHandler) {
  panel.CommitChange(false);
  EXPECT_FALSE(panel.OnSymmetryText("-"));
  EXPECT_EQ(Live()[0x6F], 0);
  EXPECT_TRUE(panel.OnSymmetryText("-25"));
  EXPECT_EQ(static_cast<std::int16_t>(Live()[0x6F]), -25);
  EXPECT_EQ(panel.SymmetryText(), "-25");
  EXPECT_TRUE(panel.OnSymmetryText("20000"));
  EXPECT_EQ(Live()[0x6F], 10000);
  EXPECT_EQ(panel.SymmetryText(), "10000");
}

TEST_F(ShaperFixture, NotRespondingLeavesTheRefreshFlagSet) {
  buffers[0].refreshEnable = 1;
  panel.OnPileUpOnToggled(false);
  EXPECT_EQ(buffers[0].refreshEnable, 1);
  EXPECT_EQ(Live()[0x0D] & 0x8000, 0x8000);
}

}  // namespace
}  // namespace mirvo
