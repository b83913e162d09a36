// The acquisition panel's logic on a live record and an engine whose port is closed: what reaches
// the image, what is sent, what a refresh shows, and the enabling rules.
#include <gtest/gtest.h>

#include "FakeClock.h"
#include "ScriptedDialogs.h"
#include "LinkDoubles.h"
#include "shell/HeadlessHost.h"
#include "protocol/CHardwareLink.h"

namespace mirvo {
namespace {


constexpr std::uint32_t kSettingsWriteAddress = 0xC0800C;

class AcquisitionPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel.Attach(lifecycle);
    panel.Initialise();
  }
  RegisterImage& Image() { return host.record.registers; }
  // The instrument answers; the panel has shown the record once.
  void Respond() {
    link.SetConnected(true);
    link.SetResponding(true);
    panel.RefreshFromRecord();
  }
  // Whether a settings write went out since the last call (the port is closed, so the engine
  // stays busy with it; the next one would only be queued).
  bool SettingsWriteSent() {
    const bool sent = link.Busy() && link.TransmitBuffer().size() > 8 &&
                      packet::GetLong(link.TransmitBuffer(), 4) == kSettingsWriteAddress;
    link.SetBusy(false);
    return sent;
  }

  test::FakeClock clock{UtcMillisecondsFromCivil({2026, 12, 9, 10, 0, 0, 500})};
  test::FakeSleeper sleeper{&clock};
  test::FakeSleeper linkSleeper;
  test::ScriptedDialogs dialogs;
  HeadlessHost host{clock};
  test::NullTarget target;
  LinkLifecycle lifecycle{host, host, host.memory, target, linkSleeper};
  CHardwareLink& link = lifecycle.Link();
  AcquisitionPanel panel{host, {host.startTime, dialogs, clock, sleeper}, dialogs, dialogs};
};

TEST_F(AcquisitionPanelTest, LiveTimePresetOf3600SecondsEncodesBothWays) {
  Respond();
  panel.OnPresetKindSelected(1);
  ASSERT_TRUE(panel.OnPresetTyped(3600));
  EXPECT_EQ(Image()[reg::kPresetReal], 0x7E40);
  EXPECT_EQ(Image()[reg::kPresetLive], 0x0005);
  EXPECT_TRUE(Image().ControlWord() & cw::kLivePreset);
  EXPECT_TRUE(SettingsWriteSent());

  AcquisitionPanel fresh{host, {host.startTime, dialogs, clock, sleeper}, dialogs, dialogs};
  fresh.Initialise();
  fresh.RefreshFromRecord();
  EXPECT_EQ(fresh.PresetSeconds(), 3600);
  EXPECT_STREQ(kPresetKindTexts.at(static_cast<std::size_t>(fresh.PresetKindIndex())), "LIVE TIME ");
}

TEST_F(AcquisitionPanelTest, ChangesBeforeTheFirstRefreshReachTheImageButAreNotSent) {
  link.SetConnected(true);
  link.SetResponding(true);
  host.record.refreshEnable = 1;
  ASSERT_TRUE(panel.OnPresetTyped(10));
  EXPECT_EQ(Image()[reg::kPresetReal], 1000);
  EXPECT_FALSE(SettingsWriteSent());
  EXPECT_EQ(host.record.refreshEnable, 1);  // the status reads still fold
}

TEST_F(AcquisitionPanelTest, PresetsThatDoNotFitTheRegisterPairAreRefused) {
  Respond();
  ASSERT_TRUE(panel.OnPresetTyped(21474836));
  EXPECT_EQ(panel.PresetRegisterValue(), 2147483600u);
  SettingsWriteSent();
  EXPECT_FALSE(panel.OnPresetTyped(21474837));
  EXPECT_FALSE(panel.OnPresetTyped(-1));
  EXPECT_EQ(dialogs.messages, (std::vector<std::string>{kPresetTooLongText, kPresetTooLongText}));
  EXPECT_EQ(panel.PresetSeconds(), 21474836);
  EXPECT_EQ(Image()[reg::kPresetLive] * 65536u + Image()[reg::kPresetReal], 2147483600u);
  EXPECT_FALSE(SettingsWriteSent());
}

struct TimesCase {
  std::uint16_t realTicks, realFraction, liveTicks;
  const char* real;
  const char* live;
  const char* dead;
};

TEST_F(AcquisitionPanelTest, RealLiveAndDeadTimesFromTheCounters) {
  const TimesCase cases[] = {
      {1000, 0, 900, "     10.00", "      9.00", "     10.00"},
      {900, 0, 1000, "      9.00", "     10.00", "      0.00"},  // live above real: no negative dead time
      {0, 0, 0, "      0.00", "      0.00", "      0.00"},
      {0, 62500, 0, "      0.01", "      0.00", "    100.00"},  // 62500 x 16 x 0.008 us = 8 ms
  };
  for (const auto& c : cases) {
    Image()[reg::kRealTicksLow] = c.realTicks;
    Image()[reg::kRealFraction] = c.realFraction;
    Image()[reg::kLiveTicksLow] = c.liveTicks;
    panel.RefreshFromRecord();
    EXPECT_EQ(panel.RealText(), c.real);
    EXPECT_EQ(panel.LiveText(), c.live);
    EXPECT_EQ(panel.DeadText(), c.dead) << c.real << " " << c.live;
    EXPECT_EQ(host.info.Texts().dead, c.dead);
  }
}

TEST_F(AcquisitionPanelTest, WindowWidthIsStoredLessOneAndClampedAsTyped) {
  Respond();
  panel.OnCoincidenceSelected(2);
  const std::pair<std::int64_t, int> cases[] = {{1, 1}, {4095, 4095}, {5000, 4095}, {0, 1}, {-7, 1}, {300, 300}};
  for (const auto& [typed, shown] : cases) {
    EXPECT_EQ(panel.OnWinWidthChanged(typed), shown) << typed;
    EXPECT_EQ(Image()[kRegWindow] & kWindowWidthMask, shown - 1) << typed;
    EXPECT_EQ(Image()[kRegWindow] & kWindowBit15, kWindowBit15);  // the mode bits stay
  }
  EXPECT_EQ(panel.OnSrcDelayChanged(20000), kSrcDelayMax);
  EXPECT_EQ(panel.OnStoreDelayChanged(9000), kStoreDelayMax);
  EXPECT_EQ(Image()[kRegSrcDelay], kSrcDelayMax);
  EXPECT_EQ(Image()[kRegStoreDelay], kStoreDelayMax);
}

struct CoincidenceCase {
  int index;
  bool controlBit14, windowBit14, windowBit15;
};

TEST_F(AcquisitionPanelTest, CoincidenceModesEncodeAndDecode) {
  Respond();
  const CoincidenceCase cases[] = {
      {0, true, false, false}, {1, false, false, false}, {2, false, false, true}, {3, false, true, true}};
  for (const auto& c : cases) {
    panel.OnCoincidenceSelected(c.index);
    EXPECT_EQ((Image().ControlWord() & cw::kCoincidenceOff) != 0, c.controlBit14) << c.index;
    EXPECT_EQ((Image()[kRegWindow] & kWindowBit14) != 0, c.windowBit14) << c.index;
    EXPECT_EQ((Image()[kRegWindow] & kWindowBit15) != 0, c.windowBit15) << c.index;
    EXPECT_EQ(panel.DelaysEnabled(), c.index != 0);

    panel.OnCoincidenceSelected((c.index + 1) % 4);  // the refresh must bring it back
    Image()[reg::kControlWord] = static_cast<std::uint16_t>(c.controlBit14 ? cw::kCoincidenceOff : 0);
    Image()[kRegWindow] = static_cast<std::uint16_t>((c.windowBit14 ? kWindowBit14 : 0) | (c.windowBit15 ? kWindowBit15 : 0));
    panel.RefreshFromRecord();
    EXPECT_EQ(panel.CoincidenceListIndex(), c.index);
  }
  Image()[reg::kControlWord] = 0;
  Image()[kRegWindow] = kWindowBit14;  // (1, 0) has no entry of its own
  panel.RefreshFromRecord();
  EXPECT_STREQ(kCoincidenceTexts.at(static_cast<std::size_t>(panel.CoincidenceListIndex())), "DISABLED");
  EXPECT_EQ(CoincidenceFromIndex(7), CoincidenceFromIndex(0));
}

TEST_F(AcquisitionPanelTest, MicrosecondTextsFollowTheSamplePeriod) {
  Respond();
  panel.OnSrcDelayChanged(16250);
  panel.OnStoreDelayChanged(8125);
  EXPECT_EQ(panel.SrcDelayUsText(), "130.0000");
  EXPECT_EQ(panel.StoreDelayUsText(), " 65.0000");
  EXPECT_EQ(panel.WinWidthUsText(), "  0.0080");

  host.samplePeriodUs = 0.016;  // the shaper panel changed the clock; no register changes
  panel.RefreshFromRecord();
  EXPECT_EQ(panel.SrcDelayUsText(), "260.0000");
  EXPECT_EQ(panel.StoreDelayUsText(), "130.0000");
}

TEST_F(AcquisitionPanelTest, TimeStampShowsTheKindOfTheShownRecordWithoutFlicker) {
  Image()[reg::kControlWord] |= cw::kStartSystem;
  Respond();
  dialogs.kind = StartTimeKind::Local;
  panel.OnTimeStamp();
  EXPECT_EQ(dialogs.kindDialogRuns, 1);
  EXPECT_EQ(panel.StartKindText(), "START TIME: SYSTEM");  // the record's stamp kind, until a start stamps anew
  panel.RefreshFromRecord();                             // the next status read shows the same
  EXPECT_EQ(panel.StartKindText(), "START TIME: SYSTEM");
}

TEST_F(AcquisitionPanelTest, StartWithoutARespondingInstrumentOnlyMarksTheImage) {
  panel.StartAcquisition();
  EXPECT_EQ(panel.StartStampText(), "Hardware Not Connected");
  EXPECT_EQ(Image().ControlWord() & (cw::kRun | cw::kRunCompanion), 0);
  EXPECT_EQ(host.record.refreshEnable, 1);
  EXPECT_FALSE(link.Busy());
  EXPECT_EQ(dialogs.kindDialogRuns, 1);  // the kind is chosen before anything else
}

TEST_F(AcquisitionPanelTest, StartStampsTheNextEvenSecondAndSendsTheRunBits) {
  Respond();
  panel.StartAcquisition();
  EXPECT_EQ(panel.StartStampText(), "09/12/2026  10:00:02");
  EXPECT_EQ(panel.StartKindText(), "START TIME: SYSTEM");
  EXPECT_EQ(Image().ControlWord() & (cw::kRun | cw::kRunCompanion | cw::kStartSystem),
            cw::kRun | cw::kRunCompanion | cw::kStartSystem);
  EXPECT_EQ(StartStampText(Image()[reg::kStartDate], Image()[reg::kStartTime]), "09/12/2026  10:00:02");
  EXPECT_TRUE(SettingsWriteSent());
  EXPECT_EQ(host.log.Entries().back().text.substr(21), "Start Spectrum Acquisition ");
}

TEST_F(AcquisitionPanelTest, ResetWhileStoppedClearsTheStampAndSendsThePulses) {
  Respond();
  Image()[reg::kStartDate] = 0x1234;
  panel.ResetAcquisition();
  EXPECT_EQ(Image()[reg::kStartDate], 0);
  EXPECT_EQ(Image().ControlWord() & (cw::kResetPulseA | cw::kResetPulseB | cw::kResetIdle),
            cw::kResetPulseA | cw::kResetPulseB);
  EXPECT_TRUE(SettingsWriteSent());
  panel.RefreshFromRecord();
  EXPECT_EQ(panel.StartStampText(), "WAITING FOR START");
}

TEST_F(AcquisitionPanelTest, ResetWhileRunningRestartsWithANewStamp) {
  Respond();
  panel.StartAcquisition();
  SettingsWriteSent();
  const std::string first = panel.StartStampText();
  clock.Advance(5000);
  panel.ResetAcquisition();
  EXPECT_NE(panel.StartStampText(), first);
  EXPECT_EQ(panel.StartStampText(), "09/12/2026  10:00:08");
  EXPECT_TRUE(Image().Running());
  EXPECT_TRUE(SettingsWriteSent());
}

TEST_F(AcquisitionPanelTest, StopClearsTheRunBitsAndIsLogged) {
  Respond();
  panel.StartAcquisition();
  SettingsWriteSent();
  panel.StopAcquisition();
  EXPECT_FALSE(Image().Running());
  EXPECT_TRUE(SettingsWriteSent());
  EXPECT_EQ(host.log.Entries().back().text.substr(21), "Stop Spectrum Acquisition");
}

TEST_F(AcquisitionPanelTest, WhileASeriesRunsChangesReachTheImageWithoutBeingSent) {
  Respond();
  panel.Logger().SetRunning(true);
  ASSERT_TRUE(panel.OnPresetTyped(60));
  EXPECT_EQ(Image()[reg::kPresetReal], 6000);
  EXPECT_FALSE(SettingsWriteSent());
  EXPECT_EQ(host.record.refreshEnable, 0);
  EXPECT_FALSE(panel.StartEnabled());
  EXPECT_FALSE(panel.StopEnabled());
  EXPECT_FALSE(panel.StartCommandEnabled());
}

TEST_F(AcquisitionPanelTest, EnablingFollowsTheLinkAndTheRunBit) {
  EXPECT_FALSE(panel.StartEnabled());
  EXPECT_TRUE(panel.TimeStampEnabled());  // not connected
  link.SetConnected(true);
  EXPECT_TRUE(panel.StartEnabled());
  EXPECT_FALSE(panel.StopEnabled());
  EXPECT_TRUE(panel.TimeStampEnabled());
  Image().SetRun();
  EXPECT_FALSE(panel.StartEnabled());
  EXPECT_TRUE(panel.StopEnabled());
  EXPECT_FALSE(panel.TimeStampEnabled());
}

TEST(AcquisitionSpinTest, HeldArrowsAccelerate) {
  const std::pair<int, int> cases[] = {{0, 1}, {1999, 1}, {2000, 1}, {3999, 1}, {4000, 10},
                                       {6000, 100}, {7999, 100}, {8000, 1000}, {60000, 1000}};
  for (const auto& [held, step] : cases) EXPECT_EQ(SpinAcceleratedStep(held), step) << held;
}

TEST_F(AcquisitionPanelTest, HandlersDoNothingBeforeTheControlsExist) {
  AcquisitionPanel early{host, {host.startTime, dialogs, clock, sleeper}, dialogs, dialogs};
  EXPECT_FALSE(early.OnPresetTyped(100));
  EXPECT_EQ(early.OnWinWidthChanged(50), 1);
  EXPECT_EQ(Image()[reg::kPresetReal], 0);
}

}  // namespace
}  // namespace mirvo
