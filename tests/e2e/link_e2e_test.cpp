// The engine and the connection lifecycle against the in-process simulator, driven by the headless
// event loop as the command-line tool drives them.
#include <gtest/gtest.h>

#include <algorithm>

#include "FakeClock.h"
#include "LinkDoubles.h"
#include "lib/Simulator.h"
#include "acquisition/LinkLifecycle.h"
#include "protocol/Packets.h"
#include "shell/EventLoop.h"

namespace mirvo {
namespace {


class LinkE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kvetral::SimOptions options;
    options.clock = &clock;
    options.rate = 5000;
    sim = std::make_unique<kvetral::Simulator>(options);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    loop.SetMessageHandler([this](unsigned, std::uintptr_t wParam, std::intptr_t) { lifecycle.OnSerialEvent(wParam); });
    lifecycle.SetDeviceName(sim->DevicePath());
  }

  // Runs the loop until `count` replies were accepted (a guard of some seconds against a hang).
  bool RunUntilAccepted(std::uint64_t count) {
    return loop.RunUntil([&] { return lifecycle.Link().Statistics().acceptedReplies >= count || !lifecycle.Link().Connected(); },
                         5000) &&
           lifecycle.Link().Statistics().acceptedReplies >= count;
  }

  // The 200 ms tick, with the clock moving as it would.
  void Tick() {
    clock.Advance(200);
    lifecycle.OnCommTimer();
    loop.ProcessPendingMessages();
  }

  test::FakeClock clock{1'700'000'000'000};
  test::FakeSleeper sleeper{&clock};
  test::RecordingLinkHost host;
  EventLoop loop{clock};
  test::RecordedLifecycle lifecycle{host, loop, sleeper};
  std::unique_ptr<kvetral::Simulator> sim;
};

TEST_F(LinkE2eTest, PollingReadsTheWholeSpectrumMemory) {
  host.refreshEnable = 1;
  sim->SetRegister(0x10, 0x0001);  // counting
  sim->AdvanceTime(5.0);
  sim->SetRegister(0x10, 0x0000);  // stopped: the memory holds still while it is read
  ASSERT_TRUE(lifecycle.ConnectHardware());
  // One full pass: the status read, eight chunks and two status reads in between.
  ASSERT_TRUE(RunUntilAccepted(11));
  EXPECT_TRUE(lifecycle.Link().Responding());
  EXPECT_EQ(host.status.firmware, 250);
  EXPECT_EQ(host.status.serialnumber, 1);

  std::uint64_t total = 0;
  for (unsigned k = 0; k < 4; ++k) {
    for (unsigned ch = 0; ch < 4096; ++ch) {
      ASSERT_EQ(host.memory.Spectrum(k)[ch], sim->Count(k, ch)) << "spectrum " << k << " channel " << ch;
      total += sim->Count(k, ch);
    }
  }
  EXPECT_GT(total, 1000u);

  // The requests went out in the polling order: status, four chunks, status, four chunks ...
  const auto log = sim->RequestLog();
  ASSERT_GE(log.size(), 11u);
  const auto status = packet::BuildReadRequest(packet::RegisterReadAddress(1), 254);
  const std::vector<std::uint8_t> statusRead(status.begin(), status.end());
  for (std::size_t i : {0u, 5u, 10u}) EXPECT_EQ(log[i], statusRead) << i;
  EXPECT_EQ(packet::GetLong(log[1], 4), packet::SpectrumReadAddress(2050));
  EXPECT_EQ(packet::GetLong(log[9], 4), packet::SpectrumReadAddress(0));
}

TEST_F(LinkE2eTest, CorruptRepliesAreRepeatedAndPollingGoesOn) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  ASSERT_TRUE(RunUntilAccepted(3));
  sim->CorruptNextReplies(2);
  ASSERT_TRUE(RunUntilAccepted(8));
  EXPECT_EQ(std::count(host.lines.begin(), host.lines.end(), "Repeat Read Command"), 2);
  EXPECT_EQ(lifecycle.Link().Statistics().repeats, 2u);
  EXPECT_TRUE(lifecycle.Link().Connected());
}

TEST_F(LinkE2eTest, UnpluggedInstrumentClosesTheLinkAtOnceAndNothingSpins) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  ASSERT_TRUE(RunUntilAccepted(4));
  sim->Unplug();
  // The hang-up is seen as it happens: no time-outs, no repeats (the guard only bounds a failure).
  loop.RunUntil([&] { return !lifecycle.Link().Connected(); }, 5000);
  EXPECT_FALSE(lifecycle.Link().Connected());
  EXPECT_FALSE(lifecycle.Link().Port().IsOpen());
  EXPECT_EQ(std::count(host.lines.begin(), host.lines.end(), "Repeat Read Command"), 0);
  ASSERT_GE(host.lines.size(), 2u);
  EXPECT_EQ(host.lines[host.lines.size() - 2], "The port hung up (instrument unplugged or switched off)");
  EXPECT_EQ(host.lines.back(), "Disconnected from hardware");
  // Events still queued from the dead port are ignored.
  loop.ProcessPendingMessages();
  Tick();
  EXPECT_EQ(host.lines.back(), "Disconnected from hardware");
}

}  // namespace
}  // namespace mirvo
