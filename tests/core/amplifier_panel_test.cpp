// The amplifier panel's logic on a live record and an engine whose port is closed: the fine-gain
// arithmetic, the offset search, the digital I/O encodings, what reaches the image, what is sent,
// and the gain stabilizer's proposal and OK.
#include <gtest/gtest.h>

#include "FakeClock.h"
#include "LinkDoubles.h"
#include "ScriptedDialogs.h"
#include "panels/AmplifierPanel.h"
#include "panels/StabilizerSettings.h"
#include "protocol/CHardwareLink.h"
#include "shell/HeadlessHost.h"

namespace mirvo {
namespace {

constexpr std::uint32_t kSettingsWriteAddress = packet::RegisterWriteAddress(0x0C);
constexpr std::uint32_t kAllWriteAddress = packet::RegisterWriteAddress(0x00);

class AmpHost final : public IAmplifierHost {
 public:
  explicit AmpHost(SpectrumRecord& record) : record_(record) {}
  SpectrumRecord& LiveRecord() override { return record_; }
  SpectrumRecord* SettingsRecord() override { return &record_; }
  bool ActiveRecordLive() const override { return activeLive; }
  void OpenStabilizer() override { ++stabilizerOpened; }
  void ShaperRecompute() override { ++shaperRecomputes; }

  bool activeLive = true;
  int stabilizerOpened = 0;
  int shaperRecomputes = 0;

 private:
  SpectrumRecord& record_;
};

enum class Sent { kNothing, kSettings, kAll };

class AmplifierPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel.Attach(lifecycle, series);
    panel.Initialise();
  }
  RegisterImage& Image() { return host.record.registers; }
  // The instrument answers; the panel has shown the record once.
  void Respond() {
    link.SetConnected(true);
    link.SetResponding(true);
    panel.RefreshFromRecord();
  }
  // The write that went out since the last call (the port is closed, so the engine stays busy with
  // it; the next one would only be queued).
  Sent TakeSent() {
    Sent sent = Sent::kNothing;
    if (link.Busy() && link.TransmitBuffer().size() > 8) {
      const std::uint32_t address = packet::GetLong(link.TransmitBuffer(), 4);
      if (address == kSettingsWriteAddress) sent = Sent::kSettings;
      if (address == kAllWriteAddress) sent = Sent::kAll;
    }
    link.SetBusy(false);
    return sent;
  }

  test::FakeClock clock{UtcMillisecondsFromCivil({2026, 12, 9, 10, 0, 0, 500})};
  test::FakeSleeper linkSleeper;
  test::ScriptedDialogs dialogs;
  test::ScriptedSeries series;
  HeadlessHost host{clock};
  test::NullTarget target;
  LinkLifecycle lifecycle{host, host, host.memory, target, linkSleeper};
  CHardwareLink& link = lifecycle.Link();
  AmpHost ampHost{host.record};
  AmplifierPanel panel{ampHost, dialogs};
};

// ---------------------------------------------------------------------------------------------
// Fine gain

TEST(FineGainTest, CodeFactorAndRegisterAgree) {
  struct Case {
    int code;
    std::uint16_t reg;
    const char* text;
  };
  for (const Case& c : {Case{0, 0xFFF0, "1.00000"}, Case{4095, 0x0000, "1.20000"}, Case{2048, 2047 * 16, "1.10002"},
                        Case{1, 4094 * 16, "1.00005"}}) {
    EXPECT_EQ(FineRegisterValue(c.code), c.reg) << c.code;
    EXPECT_EQ(FactorText(FineFactor(c.code)), c.text) << c.code;
    EXPECT_EQ(FineCodeFromRegister(c.reg), c.code) << c.code;
  }
  // The low 4 bits do not count: the code of the upper 12 bits.
  EXPECT_EQ(FineCodeFromRegister(static_cast<std::uint16_t>((4095 - 100) * 16 + 0xF)), 100);
}

TEST(FineGainTest, TypedFactorsInsideOneToBelowOnePointTwoAreAccepted) {
  struct Case {
    const char* text;
    int code;  // -1: ignored
  };
  for (const Case& c : {Case{"1.2", 4095}, Case{"1.0", 0}, Case{"1", 0}, Case{"1.1", 2048}, Case{"1.00005", 1},
                        Case{"1.25", -1}, Case{"1.2000001", -1}, Case{"0.999", -1}, Case{"", -1}, Case{"abc", -1},
                        Case{"1.1x", -1}, Case{"nan", -1}}) {
    const std::optional<int> code = FineCodeFromText(c.text);
    if (c.code < 0)
      EXPECT_FALSE(code.has_value()) << c.text;
    else
      EXPECT_EQ(code.value_or(-1), c.code) << c.text;
  }
}

TEST_F(AmplifierPanelTest, FineCodeEndsReachTheRegisterAndTheTexts) {
  Respond();
  panel.OnFineCodeChanged(4095);
  EXPECT_EQ(Image()[amp::kRegFineGain], 0);
  EXPECT_EQ(panel.FineText(), "1.20000");
  EXPECT_EQ(panel.TotalText(), "1.20000");
  EXPECT_EQ(TakeSent(), Sent::kSettings);
  panel.OnFineCodeChanged(5000);  // clamped
  EXPECT_EQ(panel.FineCode(), 4095);
  panel.OnFineCodeChanged(-3);
  EXPECT_EQ(Image()[amp::kRegFineGain], 0xFFF0);
  EXPECT_EQ(panel.FineText(), "1.00000");
}

TEST_F(AmplifierPanelTest, TypedFineFactorMovesTheCodeOnlyWhenAccepted) {
  Respond();
  panel.OnFineFocus(true);
  panel.OnFineTextChanged("1.2");
  EXPECT_EQ(panel.FineCode(), 4095);
  EXPECT_EQ(panel.FineText(), "1.2");  // the typed text stays while the edit has the focus
  EXPECT_EQ(TakeSent(), Sent::kSettings);
  panel.OnFineTextChanged("1.25");
  EXPECT_EQ(panel.FineCode(), 4095);
  EXPECT_EQ(TakeSent(), Sent::kNothing);
  panel.OnFineFocus(false);
  EXPECT_EQ(panel.FineText(), "1.20000");  // rewritten from the kept factor
  // Text typed without the focus is not taken.
  panel.OnFineTextChanged("1.0");
  EXPECT_EQ(panel.FineCode(), 4095);
}

TEST_F(AmplifierPanelTest, RefreshTakesTheFineCodeFromTheUpperTwelveBits) {
  Image()[amp::kRegFineGain] = static_cast<std::uint16_t>((4095 - 100) * 16 + 0x9);
  panel.RefreshFromRecord();
  EXPECT_EQ(panel.FineCode(), 100);
  EXPECT_EQ(panel.FineRegister(), (4095 - 100) * 16);
  EXPECT_EQ(panel.FineText(), FactorText(FineFactor(100)));
}

// ---------------------------------------------------------------------------------------------
// Offsets and the search

TEST_F(AmplifierPanelTest, AdcDefaultTicksAt8000AndUntickingMovesOff) {
  Image()[amp::kRegAdcOffset] = 8000;
  Respond();
  EXPECT_TRUE(panel.AdcDefault());
  EXPECT_FALSE(panel.AdcEditEnabled());

  panel.OnAdcDefaultToggled(false);
  EXPECT_EQ(panel.AdcOffset(), 8001);
  EXPECT_EQ(Image()[amp::kRegAdcOffset], 8001);
  EXPECT_TRUE(panel.AdcEditEnabled());
  EXPECT_EQ(panel.TakeFocusRequest(), AmplifierPanel::Focus::kAdcOffset);
  EXPECT_EQ(TakeSent(), Sent::kAll);
  panel.RefreshFromRecord();
  EXPECT_FALSE(panel.AdcDefault());  // 8001 does not tick it again

  panel.OnAdcOffsetChanged(1234);
  panel.OnAdcDefaultToggled(true);
  EXPECT_EQ(Image()[amp::kRegAdcOffset], 8000);
}

TEST_F(AmplifierPanelTest, TheSearchVisitsFifteenStepsAndEnds) {
  Image()[reg::kControlWord] = 0;  // AUTO off
  Respond();
  ASSERT_TRUE(panel.SarEnabled());
  panel.OnSar();
  EXPECT_EQ(panel.AmpOffset(), 0x8000);
  EXPECT_EQ(panel.SarStep(), 0x4000u);
  EXPECT_FALSE(panel.SarEnabled());
  EXPECT_TRUE(panel.StepButtonsEnabled());
  EXPECT_EQ(panel.TakeFocusRequest(), AmplifierPanel::Focus::kAmpOffset);
  EXPECT_EQ(TakeSent(), Sent::kAll);

  // Up on even steps, down on odd ones: the offset lands on a known value.
  int expected = 0x8000;
  int presses = 0;
  for (unsigned step = 0x4000; step >= 1; step /= 2, ++presses) {
    const bool up = presses % 2 == 0;
    ASSERT_EQ(panel.SarStep(), step);
    up ? panel.OnPlus() : panel.OnMinus();
    expected += up ? static_cast<int>(step) : -static_cast<int>(step);
    EXPECT_EQ(panel.AmpOffset(), expected);
    EXPECT_EQ(Image()[amp::kRegAmpOffset], expected);
    EXPECT_EQ(TakeSent(), Sent::kAll);
  }
  EXPECT_EQ(presses, 15);
  EXPECT_EQ(panel.SarStep(), 0u);
  EXPECT_TRUE(panel.SarEnabled());
  EXPECT_FALSE(panel.StepButtonsEnabled());
  panel.OnPlus();  // the buttons are disabled: nothing
  EXPECT_EQ(panel.AmpOffset(), expected);
  EXPECT_EQ(TakeSent(), Sent::kNothing);
}

TEST_F(AmplifierPanelTest, AutoOffsetFromTheInstrumentEndsASearch) {
  Image()[reg::kControlWord] = 0;
  Respond();
  panel.OnSar();
  panel.OnPlus();
  Image()[reg::kControlWord] = amp::kAutoOffsetBit;
  panel.RefreshFromRecord();
  EXPECT_EQ(panel.SarStep(), 0u);
  EXPECT_FALSE(panel.StepButtonsEnabled());
  EXPECT_FALSE(panel.SarEnabled());
  Image()[reg::kControlWord] = 0;
  panel.RefreshFromRecord();
  EXPECT_TRUE(panel.SarEnabled());
}

TEST_F(AmplifierPanelTest, AutoOffsetDisablesTheManualControls) {
  Image()[reg::kControlWord] = amp::kAutoOffsetBit;
  Respond();
  EXPECT_TRUE(panel.AutoOffset());
  EXPECT_FALSE(panel.AmpEditEnabled());
  EXPECT_FALSE(panel.SarEnabled());
  panel.OnAutoToggled(false);
  EXPECT_EQ(Image()[reg::kControlWord] & amp::kAutoOffsetBit, 0);
  EXPECT_TRUE(panel.AmpEditEnabled());
  EXPECT_TRUE(panel.SarEnabled());
  EXPECT_FALSE(panel.StepButtonsEnabled());
  EXPECT_EQ(TakeSent(), Sent::kAll);
}

// ---------------------------------------------------------------------------------------------
// Digital I/O

TEST(DigitalIoTest, DriveIndexesRoundTripAndIndexZeroKeepsTheModifiers) {
  struct Bits {
    std::uint16_t enable, invert, openDrain;
  };
  const Bits outputs[3] = {{1u << 14, 1u << 10, 1u << 7}, {1u << 13, 1u << 9, 1u << 6}, {1u << 12, 1u << 8, 1u << 5}};
  // index -> (enable, invert, open-drain)
  const bool table[5][3] = {{false, false, false}, {true, false, false}, {true, false, true}, {true, true, false},
                            {true, true, true}};
  for (int o = 0; o < 3; ++o) {
    const Output output = static_cast<Output>(o);
    const Bits& b = outputs[o];
    for (int index = 0; index < 5; ++index) {
      const std::uint16_t bits = ApplyDriveIndex(0, output, index);
      EXPECT_EQ((bits & b.enable) != 0, table[index][0]) << o << "/" << index;
      EXPECT_EQ((bits & b.invert) != 0, table[index][1]) << o << "/" << index;
      EXPECT_EQ((bits & b.openDrain) != 0, table[index][2]) << o << "/" << index;
      EXPECT_EQ(bits & ~(b.enable | b.invert | b.openDrain), 0) << "other outputs untouched";
      EXPECT_EQ(DriveIndex(bits, output), index);
    }
    const std::uint16_t all = b.enable | b.invert | b.openDrain;
    EXPECT_EQ(ApplyDriveIndex(all, output, 0), b.invert | b.openDrain);
    EXPECT_EQ(DriveIndex(b.invert | b.openDrain, output), 0);
  }
}

TEST(DigitalIoTest, InputFunctionsAndOutputFunctionCodesRoundTrip) {
  const std::uint16_t din[3] = {0, 1u << 4, (1u << 4) | (1u << 3)};
  const std::uint16_t rin[3] = {0, 1u << 15, (1u << 15) | (1u << 11)};
  for (int index = 0; index < 3; ++index) {
    EXPECT_EQ(ApplyDinIndex(0, index), din[index]);
    EXPECT_EQ(DinIndex(din[index]), index);
    EXPECT_EQ(ApplyRinIndex(0, index), rin[index]);
    EXPECT_EQ(RinIndex(rin[index]), index);
  }
  EXPECT_EQ(ApplyDinIndex(0x0018, 0), 0x0008);  // index 0 only clears bit 4
  EXPECT_EQ(ListSelection(DinIndex(din[2]), kDinFunctionTexts.size()), 0);  // the list offers entry 0 only
  for (int rout = 0; rout < 4; ++rout)
    for (int s = 0; s < 4; ++s)
      for (int t = 0; t < 4; ++t) {
        const std::uint16_t word = OutputFunctionsWord({rout, s, t});
        EXPECT_EQ(word, rout * 16 + s * 4 + t);
        EXPECT_EQ(OutputFunctionCodes(word), (std::array<int, 3>{rout, s, t}));
      }
}

TEST_F(AmplifierPanelTest, DigitalIoListsWriteOnlyTheirBitsAndRefreshSelectsThem) {
  Respond();
  panel.OnRinSelected(2);
  panel.OnDriveSelected(Output::kS, 4);
  panel.OnFunctionSelected(Output::kRout, 3);
  panel.OnFunctionSelected(Output::kT, 2);
  EXPECT_EQ(Image()[amp::kRegDigitalIo], (1u << 15) | (1u << 11) | (1u << 13) | (1u << 9) | (1u << 6));
  EXPECT_EQ(Image()[amp::kRegOutputFunctions], 3 * 16 + 2);
  EXPECT_EQ(TakeSent(), Sent::kAll);

  AmplifierPanel fresh{ampHost, dialogs};
  fresh.Initialise();
  Image()[amp::kRegDigitalIo] |= 0x0007;  // bits 0..2 are not the panel's
  fresh.RefreshFromRecord();
  EXPECT_EQ(fresh.RinSelection(), 2);
  EXPECT_EQ(fresh.DriveSelection(Output::kS), 4);
  EXPECT_EQ(fresh.DriveSelection(Output::kRout), 0);
  EXPECT_EQ(fresh.FunctionSelection(Output::kRout), 3);
  EXPECT_EQ(fresh.FunctionSelection(Output::kT), 2);
  fresh.OnDinSelected(0);
  EXPECT_EQ(Image()[amp::kRegDigitalIo] & 0x0007, 0);
}

// ---------------------------------------------------------------------------------------------
// Image and sending

TEST_F(AmplifierPanelTest, Register12KeepsBit15AndClearsTheBitsThePanelOwns) {
  Image()[amp::kRegCoarseGain] = 0x40E1;  // bit 14, bits 7..5, code 1; bit 15 clear
  Respond();
  EXPECT_FALSE(panel.KeptBit15());
  panel.OnCoarseSelected(2);
  EXPECT_EQ(Image()[amp::kRegCoarseGain], 0x0002);
  EXPECT_EQ(host.record.register12Copy, 0x0002);
  EXPECT_EQ(host.record.coarseGainIndex, 2);
  EXPECT_EQ(TakeSent(), Sent::kSettings);

  Image()[amp::kRegCoarseGain] = 0x8002;  // the instrument's view differs from the copy
  panel.RefreshFromRecord();
  EXPECT_TRUE(panel.KeptBit15());
  EXPECT_EQ(panel.CoarseIndex(), 2);  // the coarse index never comes from the register
  panel.OnEnableToggled(true);
  EXPECT_EQ(Image()[amp::kRegCoarseGain], 0x8002);
}

TEST_F(AmplifierPanelTest, StabilizerEnableSetsOnlyBit15AndLocksTheFineGain) {
  Image()[amp::kRegStabilizer] = 980;
  Respond();
  panel.OnEnableToggled(true);
  EXPECT_EQ(Image()[amp::kRegStabilizer], 0x8000 | 980);
  EXPECT_FALSE(panel.FineEnabled());
  EXPECT_EQ(TakeSent(), Sent::kSettings);
  EXPECT_GE(ampHost.shaperRecomputes, 1);
}

TEST_F(AmplifierPanelTest, NothingIsSentBeforeTheFirstRefresh) {
  link.SetConnected(true);
  link.SetResponding(true);
  panel.OnAmpOffsetChanged(1000);
  EXPECT_EQ(Image()[amp::kRegAmpOffset], 1000);
  EXPECT_EQ(TakeSent(), Sent::kNothing);
  EXPECT_EQ(host.record.refreshEnable, 1);
  // The start positions are what the edits hold until then.
  EXPECT_EQ(Image()[amp::kRegAdcOffset], amp::kAdcStartPosition);
}

TEST_F(AmplifierPanelTest, AChangeWhileAFileRecordIsActiveChangesNothing) {
  Respond();
  const RegisterImage before = Image();
  ampHost.activeLive = false;
  panel.OnFineCodeChanged(777);
  panel.OnAdcOffsetChanged(4000);
  panel.OnDriveSelected(Output::kT, 1);
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(TakeSent(), Sent::kNothing);
  EXPECT_EQ(panel.FineCode(), 777);  // the change stays in the panel
}

TEST_F(AmplifierPanelTest, WhileTheLoggerRunsChangesReachTheImageButAreNotSent) {
  Respond();
  series.running = true;
  panel.OnFineCodeChanged(10);
  panel.OnAmpOffsetChanged(30000);
  EXPECT_EQ(Image()[amp::kRegFineGain], (4095 - 10) * 16);
  EXPECT_EQ(Image()[amp::kRegAmpOffset], 30000);
  EXPECT_EQ(TakeSent(), Sent::kNothing);
  EXPECT_EQ(host.record.refreshEnable, 0);
}

TEST_F(AmplifierPanelTest, NotRespondingKeepsStatusRefreshOn) {
  panel.RefreshFromRecord();
  panel.OnFineCodeChanged(5);
  EXPECT_EQ(Image()[amp::kRegFineGain], (4095 - 5) * 16);
  EXPECT_EQ(host.record.refreshEnable, 1);
  EXPECT_EQ(TakeSent(), Sent::kNothing);
}

TEST_F(AmplifierPanelTest, StabilizerSetRefusesWithoutAnInstrumentOrWithAReducedSoftSize) {
  panel.OnStabilizerSet();
  Respond();
  host.record.softSize = 1024;
  panel.OnStabilizerSet();
  host.record.softSize = host.record.hardSize;
  panel.OnStabilizerSet();
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{kConnectDeviceText, kSoftSizeEqualText}));
  EXPECT_EQ(ampHost.stabilizerOpened, 1);
}

TEST_F(AmplifierPanelTest, PortOpenedMeansNotSynchronised) {
  Respond();
  ASSERT_TRUE(panel.Synchronised());
  lifecycle.NotifyPortOpened();
  EXPECT_FALSE(panel.Synchronised());
  panel.OnFineCodeChanged(3);
  EXPECT_EQ(TakeSent(), Sent::kNothing);
}

// ---------------------------------------------------------------------------------------------
// Gain stabilizer

TEST(StabilizerProposalTest, EdgesFromThePeakOrTheRefusal) {
  struct Case {
    StabilizerPeak peak;
    ProposalResult result;
    StabilizerEdges edges;
  };
  const Case cases[] = {
      {{4096, 4096, true, 1000.7, 41.9, 4096}, ProposalResult::kProposed, {980, 990, 1010, 1020}},
      {{4096, 4096, true, 500.9, 3.9, 4096}, ProposalResult::kProposed, {498, 499, 501, 502}},  // w = 1
      {{4096, 4096, true, 15.0, 40.0, 4096}, ProposalResult::kNearBoundary, {}},
      {{4096, 4096, true, 4090.0, 40.0, 4096}, ProposalResult::kNearBoundary, {}},  // C + w beyond the set
      {{4096, 4096, true, 4086.0, 40.0, 4096}, ProposalResult::kProposed, {4066, 4076, 4096, 4106}},
      {{2048, 4096, true, 1000.7, 41.9, 4096}, ProposalResult::kSoftSizeDiffers, {}},
      {{4096, 4096, false, 1000.7, 41.9, 4096}, ProposalResult::kCursorOutsideRoi, {}},
  };
  for (const Case& c : cases) {
    StabilizerEdges edges{};
    EXPECT_EQ(ProposeEdges(c.peak, edges), c.result) << c.peak.centroid;
    EXPECT_EQ(edges, c.edges) << c.peak.centroid;
  }
}

class StabilizerSettingsTest : public AmplifierPanelTest {
 protected:
  StabilizerSettings dialog{host.record, &link, &series, dialogs};
};

TEST_F(StabilizerSettingsTest, OpensWithoutTheEnableBitAndProposesIntoTheEdits) {
  Image()[0x40] = 0x8000 | 100;
  Image()[0x41] = 110;
  Image()[0x42] = 130;
  Image()[0x43] = 140;
  dialog.Open();
  EXPECT_EQ(dialog.Texts(), (std::array<std::string, 4>{"100", "110", "130", "140"}));
  EXPECT_EQ(dialog.Recommend({4096, 4096, true, 15.0, 40.0, 4096}), ProposalResult::kNearBoundary);
  EXPECT_EQ(dialog.Texts()[0], "100");  // left as they were
  dialog.Recommend({4096, 4096, false, 15.0, 40.0, 4096});
  dialog.Recommend({512, 4096, true, 15.0, 40.0, 4096});
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{kPeakNearBoundaryText, kCursorOutsideRoiText,
                                                        kSoftSizeEqualText}));
  EXPECT_EQ(dialog.Recommend({4096, 4096, true, 1000.7, 41.9, 4096}), ProposalResult::kProposed);
  EXPECT_EQ(dialog.Texts(), (std::array<std::string, 4>{"980", "990", "1010", "1020"}));
  EXPECT_EQ(Image()[0x41], 110);  // sent only by OK
}

TEST_F(StabilizerSettingsTest, OkWithoutAnInstrumentChangesNoRegisterAndReenablesRefresh) {
  host.record.refreshEnable = 0;
  dialog.Open();
  dialog.SetText(1, "990");
  const RegisterImage before = Image();
  EXPECT_TRUE(dialog.Ok());
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(host.record.refreshEnable, 1);
  EXPECT_EQ(TakeSent(), Sent::kNothing);
}

TEST_F(StabilizerSettingsTest, OkRefusesValuesOutsideTheRangeAndChangesNothing) {
  Respond();
  dialog.Open();
  for (const char* bad : {"16384", "-1", "abc", "", "12.5"}) {
    dialog.SetText(2, bad);
    EXPECT_FALSE(dialog.Ok()) << bad;
  }
  EXPECT_EQ(dialogs.messages.size(), 5u);
  EXPECT_EQ(dialogs.messages.front(), kEdgeRangeText);
  EXPECT_EQ(host.record.refreshEnable, 1);
  EXPECT_EQ(TakeSent(), Sent::kNothing);
}

TEST_F(StabilizerSettingsTest, OkStoresTheEdgesKeepsTheEnableAndSends) {
  Image()[0x40] = 0x8000 | 5;
  Respond();
  dialog.Open();
  for (int k = 0; k < 4; ++k) dialog.SetText(k, std::to_string(980 + 10 * k + (k >= 2 ? 10 : 0)));
  dialog.SetText(3, "16383");
  EXPECT_TRUE(dialog.Ok());
  EXPECT_EQ(Image()[0x40], 0x8000 | 980);
  EXPECT_EQ(Image()[0x41], 990);
  EXPECT_EQ(Image()[0x42], 1010);
  EXPECT_EQ(Image()[0x43], 16383);
  EXPECT_EQ(TakeSent(), Sent::kSettings);

  series.running = true;
  dialog.SetText(0, "970");
  EXPECT_TRUE(dialog.Ok());
  EXPECT_EQ(Image()[0x40], 0x8000 | 970);
  EXPECT_EQ(TakeSent(), Sent::kNothing);
}

}  // namespace
}  // namespace mirvo
