// START, STOP and RESET from the acquisition panel through the engine to the simulated instrument:
// presets and coincidence reach its registers, runs end by themselves, stamps and times come back.
#include <gtest/gtest.h>

#include "AcquisitionRig.h"

namespace mirvo {
namespace {

using test::AcquisitionRig;

kvetral::SimOptions Fast(double speed = 20) {
  kvetral::SimOptions options;
  options.speed = speed;
  options.rate = 5000;
  return options;
}

TEST(AcquisitionControlTest, ARunEndsAtItsPresetWithTheStampInTheInstrument) {
  AcquisitionRig rig(Fast());
  ASSERT_TRUE(rig.Connect());
  ASSERT_TRUE(rig.panel.OnPresetTyped(2));
  ASSERT_TRUE(rig.ResetAndWait());
  EXPECT_EQ(rig.panel.StartStampText(), "WAITING FOR START");

  rig.panel.StartAcquisition();
  EXPECT_EQ(rig.panel.StartStampText(), "09/12/2026  10:00:02");
  bool seenRunning = false;
  ASSERT_TRUE(rig.RunUntil([&] {
    seenRunning = seenRunning || rig.host.record.registers.Running();
    return seenRunning && !rig.host.record.registers.Running();
  }));
  EXPECT_EQ(rig.panel.RealText(), "      2.00");
  EXPECT_GT(rig.panel.DeadTime(), 0.0);
  EXPECT_EQ(StartStampText(rig.sim->Register(reg::kStartDate), rig.sim->Register(reg::kStartTime)),
            "09/12/2026  10:00:02");
  EXPECT_EQ(rig.panel.StartStampText(), "09/12/2026  10:00:02");  // the refresh reads it back
  EXPECT_EQ(rig.panel.StartKindText(), "START TIME: SYSTEM");
}

TEST(AcquisitionControlTest, PresetAndCoincidenceReachTheInstrumentRegisters) {
  AcquisitionRig rig(Fast());
  ASSERT_TRUE(rig.Connect());
  rig.panel.OnPresetKindSelected(1);
  ASSERT_TRUE(rig.panel.OnPresetTyped(3600));
  rig.panel.OnCoincidenceSelected(3);
  EXPECT_EQ(rig.panel.OnWinWidthChanged(5000), 4095);
  rig.panel.OnSrcDelayChanged(100);
  ASSERT_TRUE(rig.WaitForStatus());
  ASSERT_TRUE(rig.WaitForStatus());
  EXPECT_EQ(rig.sim->Register(reg::kPresetReal), 0x7E40);
  EXPECT_EQ(rig.sim->Register(reg::kPresetLive), 0x0005);
  EXPECT_TRUE(rig.sim->Register(reg::kControlWord) & cw::kLivePreset);
  EXPECT_FALSE(rig.sim->Register(reg::kControlWord) & cw::kCoincidenceOff);
  EXPECT_EQ(rig.sim->Register(kRegWindow), 0xC000 | 4094);
  EXPECT_EQ(rig.sim->Register(kRegSrcDelay), 100);
  EXPECT_EQ(rig.panel.PresetSeconds(), 3600);
  EXPECT_EQ(rig.panel.CoincidenceListIndex(), 3);
}

TEST(AcquisitionControlTest, ResetWhileRunningRestartsWithANewStamp) {
  // The instrument's time moves only when the test moves it, so the times after RESET are those of
  // the new run however slowly the status reads come.
  test::FakeClock instrumentClock;
  kvetral::SimOptions options = Fast(1);
  options.clock = &instrumentClock;
  AcquisitionRig rig(options);
  ASSERT_TRUE(rig.Connect());
  ASSERT_TRUE(rig.ResetAndWait());
  rig.panel.StartAcquisition();  // no preset: runs until stopped
  const std::string first = rig.panel.StartStampText();
  ASSERT_TRUE(rig.RunUntil([&] { return (rig.sim->Register(reg::kControlWord) & cw::kRun) != 0; }));
  instrumentClock.Advance(1500);
  ASSERT_TRUE(rig.RunUntil([&] { return rig.panel.RealTime() > 1.0; }));

  rig.stampClock.Advance(10000);
  rig.panel.ResetAcquisition();
  const std::string second = rig.panel.StartStampText();
  EXPECT_NE(second, first);
  ASSERT_TRUE(rig.WaitForStatus());
  ASSERT_TRUE(rig.WaitForStatus());
  EXPECT_TRUE(rig.host.record.registers.Running());
  EXPECT_LT(rig.panel.RealTime(), 1.0);  // the times started again
  EXPECT_EQ(StartStampText(rig.sim->Register(reg::kStartDate), rig.sim->Register(reg::kStartTime)), second);
  EXPECT_EQ(rig.panel.StartStampText(), second);

  rig.panel.StopAcquisition();
  ASSERT_TRUE(rig.WaitForStatus());
  EXPECT_FALSE(rig.sim->Register(reg::kControlWord) & cw::kRun);
  EXPECT_EQ(rig.LogTexts().back(), "Stop Spectrum Acquisition");
}

TEST(AcquisitionControlTest, StartWithoutARespondingInstrumentSendsNothing) {
  AcquisitionRig rig(Fast());
  rig.sim->SetSilent(true);
  ASSERT_TRUE(rig.lifecycle.ConnectHardware());  // the first status read goes unanswered
  rig.panel.StartAcquisition();
  EXPECT_EQ(rig.panel.StartStampText(), "Hardware Not Connected");
  EXPECT_FALSE(rig.host.record.registers.Running());
  EXPECT_EQ(rig.host.record.refreshEnable, 1);
  EXPECT_FALSE(rig.sim->Register(reg::kControlWord) & cw::kRun);
}

TEST(AcquisitionControlTest, ConnectTicksAutoUpdateAndDisconnectClearsIt) {
  AcquisitionRig rig(Fast());
  rig.panel.SetAutoUpdate(false);
  ASSERT_TRUE(rig.Connect());
  EXPECT_TRUE(rig.panel.AutoUpdate());
  rig.lifecycle.DisconnectHardware();
  EXPECT_FALSE(rig.panel.AutoUpdate());
}

}  // namespace
}  // namespace mirvo
