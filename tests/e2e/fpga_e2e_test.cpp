// The FPGA design tool against the in-process simulator, on the headless loop as mirvo-cli runs it:
// the link paused, upload, verify, configure, a verify against a changed file, and the link given
// back clean (also when the tool is closed in the middle of an upload).
#include <gtest/gtest.h>

#include "AcquisitionRig.h"
#include "FileTestSupport.h"
#include "FpgaFixtures.h"
#include "fpga/DesignToolSession.h"
#include "fpga/SerialFlashPort.h"

namespace mirvo::test {
namespace {

class FpgaE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.started);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(session.Begin());
    ASSERT_TRUE(rig.RunUntil([&] {
      return session.TryTakePort([&](std::uintptr_t events) { programmer.OnPortEvent(events); });
    }));
    EXPECT_TRUE(rig.lifecycle.IgnorePortEvents());
    EXPECT_TRUE(rig.lifecycle.PortInUse());
    EXPECT_FALSE(rig.lifecycle.Policy().AutoUpdateSwitch().AutoUpdate());
    timer = rig.loop.SetTimer(fpga::FpgaProgrammer::kTimerPeriodMs, [&] { programmer.OnTimerTick(); });
  }
  void TearDown() override { rig.loop.KillTimer(timer); }

  bool RunToEnd() { return rig.RunUntil([&] { return !programmer.Busy(); }); }
  // After the tool: the link reconnected and polling again without a repeated request.
  void ExpectLinkBack() {
    session.Reconnect();
    EXPECT_FALSE(rig.lifecycle.IgnorePortEvents());
    EXPECT_TRUE(rig.WaitForStatus());
    const auto chunks = rig.lifecycle.Link().Statistics().acceptedReplies;
    EXPECT_TRUE(rig.RunUntil([&] { return rig.lifecycle.Link().Statistics().acceptedReplies > chunks + 4; }));
    EXPECT_EQ(rig.lifecycle.Link().Statistics().repeats, 0u);
  }

  AcquisitionRig rig;
  TempFolder folder;
  RecordingFpgaListener listener;
  fpga::DesignToolSession session{rig.lifecycle};
  fpga::SerialFlashPort port{session.Port()};
  fpga::FpgaProgrammer programmer{port, listener};
  int timer = 0;
};

TEST_F(FpgaE2eTest, UploadVerifyConfigureThenAChangedFileShowsItsDifferences) {
  auto data = PatternData(3000, 7);
  const std::string design = folder.File("design.mbf");
  WriteBytes(design, MakeMbf(data, 0x10000));

  const LinkStatistics engineBefore = rig.lifecycle.Link().Statistics();
  ASSERT_TRUE(programmer.Upload(design));
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(programmer.Outcome(), fpga::FpgaOutcome::kDone);
  EXPECT_TRUE(listener.Listed("3072 Bytes Uploaded"));
  // The engine stayed idle and saw none of the flash replies.
  EXPECT_EQ(rig.lifecycle.Link().Statistics().requestsSent, engineBefore.requestsSent);
  EXPECT_EQ(rig.lifecycle.Link().Statistics().bytesReceived, engineBefore.bytesReceived);
  EXPECT_EQ(rig.sim->Flash(0x10000, data.size()), data);

  ASSERT_TRUE(programmer.Verify(design));
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(programmer.Outcome(), fpga::FpgaOutcome::kDone);
  EXPECT_TRUE(listener.Listed("Verifyed 3072 bytes...0 Errors Found!"));

  ASSERT_TRUE(programmer.Configure());
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(programmer.Outcome(), fpga::FpgaOutcome::kDone);
  EXPECT_TRUE(listener.Listed("FPGA Configured!"));
  EXPECT_EQ(rig.sim->Configurations(), 1u);

  data[10] ^= 0x01;
  data[2999] ^= 0xF0;
  const std::string changed = folder.File("changed.mbf");
  WriteBytes(changed, MakeMbf(data, 0x10000));
  listener.lines.clear();
  ASSERT_TRUE(programmer.Verify(changed));
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(programmer.Outcome(), fpga::FpgaOutcome::kVerifyErrors);
  char first[64], last[64];
  std::snprintf(first, sizeof first, "Error address %u: file=%X device=%X", 0x10000u + 10, data[10], data[10] ^ 0x01);
  std::snprintf(last, sizeof last, "Error address %u: file=%X device=%X", 0x10000u + 2999, data[2999], data[2999] ^ 0xF0);
  EXPECT_TRUE(listener.Listed(first)) << first;
  EXPECT_TRUE(listener.Listed(last)) << last;
  EXPECT_TRUE(listener.Listed("Verifyed 3072 bytes...2 Errors Found!"));

  ExpectLinkBack();
}

TEST_F(FpgaE2eTest, ClosingInTheMiddleOfAnUploadStopsItAndGivesTheLinkBackClean) {
  const std::string design = folder.File("big.bin");
  WriteBytes(design, PatternData(64 * 1024));
  ASSERT_TRUE(programmer.Upload(design));
  ASSERT_TRUE(rig.RunUntil([&] { return programmer.BlockCounter() >= 8 * 1024; }));
  programmer.Stop();  // what closing the dialog does first
  EXPECT_FALSE(programmer.Busy());
  EXPECT_TRUE(listener.Listed("Upload/Verification Cancelled. Please, reload/verify FPGA design!"));
  EXPECT_TRUE(listener.Listed(kIncompleteWarning));
  ExpectLinkBack();
}

}  // namespace
}  // namespace mirvo::test
