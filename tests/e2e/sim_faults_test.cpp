// Each fault the simulator injects for reliability tests does what it says: wrong checksums, lost
// requests, trailing garbage, silence and unplugging, and the same seed gives the same run.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FakeClock.h"
#include "lib/FaultInjector.h"
#include "lib/Simulator.h"
#include "protocol/Packets.h"
#include "protocol/RegisterImage.h"
#include "testsupport/SimClient.h"

namespace {

namespace pk = mirvo::packet;
using Bytes = std::vector<std::uint8_t>;

// Waits for something the simulator's thread does, with a guard against a hung test.
template <typename Condition>
bool Eventually(Condition condition) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::yield();
  }
  return true;
}

struct Line {
  explicit Line(kvetral::SimOptions options = {}) {
    options.clock = &clock;
    sim = std::make_unique<kvetral::Simulator>(options);
    std::string error;
    started = sim->Start(&error);
    if (started) client = std::make_unique<kvetral::test::SimClient>(sim->DevicePath());
  }
  Bytes RegisterRead(unsigned reg) {
    return client->Read(pk::RegisterReadAddress(reg), 2);
  }
  mirvo::test::FakeClock clock{1'765'000'000'000};
  std::unique_ptr<kvetral::Simulator> sim;
  std::unique_ptr<kvetral::test::SimClient> client;
  bool started = false;
};

TEST(SimFaultsTest, CorruptFlagSpoilsTheChecksumOnly) {
  kvetral::SimOptions options;
  options.corrupt = 1.0;
  Line line(options);
  ASSERT_TRUE(line.started);
  const auto request = pk::BuildReadRequest(pk::RegisterReadAddress(1), 254);
  Bytes reply = line.client->Exchange(request, 279);
  ASSERT_EQ(reply.size(), 279u);
  EXPECT_FALSE(pk::ChecksumValid(reply));
  EXPECT_EQ(pk::CheckReadReply(request, reply, 279), pk::ReplyCheck::BadChecksum);
}

TEST(SimFaultsTest, GarbageFlagAddsBytesAfterTheReply) {
  kvetral::SimOptions options;
  options.garbage = 1.0;
  Line line(options);
  ASSERT_TRUE(line.started);
  const Bytes reply = line.RegisterRead(0x10);
  ASSERT_EQ(reply.size(), 27u);
  EXPECT_TRUE(pk::ChecksumValid(reply));
  EXPECT_FALSE(line.client->Receive(1).empty());  // extra bytes follow at once
}

TEST(SimFaultsTest, DroppedRequestsGetNoReplyAndChangeNothing) {
  Line line;
  ASSERT_TRUE(line.started);
  line.sim->DropNextRequests(2);
  line.client->Send(pk::BuildWriteRequest(pk::RegisterWriteAddress(0x65), std::vector<std::uint16_t>{123}));
  line.client->Send(pk::BuildReadRequest(pk::RegisterReadAddress(0x20), 2));
  const Bytes reply = line.RegisterRead(0x65);  // the first reply on the line is this one's
  ASSERT_EQ(reply.size(), 27u);
  EXPECT_EQ(pk::GetLong(reply, 4), pk::RegisterReadAddress(0x65));
  EXPECT_EQ(pk::GetWord(reply, 24), 0);  // the lost write did not reach the register
  EXPECT_EQ(line.sim->RequestsReceived(), 3u);
  EXPECT_EQ(line.sim->RepliesSent(), 1u);
}

TEST(SimFaultsTest, CorruptNextRepliesCountsDown) {
  Line line;
  ASSERT_TRUE(line.started);
  line.sim->CorruptNextReplies(2);
  EXPECT_FALSE(pk::ChecksumValid(line.RegisterRead(1)));
  EXPECT_FALSE(pk::ChecksumValid(line.RegisterRead(1)));
  EXPECT_TRUE(pk::ChecksumValid(line.RegisterRead(1)));
}

TEST(SimFaultsTest, SilentWhileSetAndAfterNRequests) {
  Line manual;
  ASSERT_TRUE(manual.started);
  manual.sim->SetSilent(true);
  manual.client->Send(pk::BuildReadRequest(pk::RegisterReadAddress(0x20), 2));
  ASSERT_TRUE(Eventually([&] { return manual.sim->RequestsReceived() == 1; }));
  manual.sim->SetSilent(false);
  const Bytes reply = manual.RegisterRead(0x21);
  ASSERT_EQ(reply.size(), 27u);
  EXPECT_EQ(pk::GetLong(reply, 4), pk::RegisterReadAddress(0x21));

  kvetral::SimOptions options;
  options.silentAfter = 2;
  Line line(options);
  ASSERT_TRUE(line.started);
  EXPECT_EQ(line.RegisterRead(1).size(), 27u);
  EXPECT_EQ(line.RegisterRead(1).size(), 27u);
  line.client->Send(pk::BuildReadRequest(pk::RegisterReadAddress(1), 2));
  ASSERT_TRUE(Eventually([&] { return line.sim->RequestsReceived() == 3; }));
  EXPECT_EQ(line.sim->RepliesSent(), 2u);
  EXPECT_TRUE(line.sim->Serving());
}

TEST(SimFaultsTest, CloseAfterNAndUnplugHangUpTheLine) {
  for (const bool byFlag : {true, false}) {
    SCOPED_TRACE(byFlag ? "--close-after 2" : "Unplug()");
    kvetral::SimOptions options;
    if (byFlag) options.closeAfter = 2;
    Line line(options);
    ASSERT_TRUE(line.started);
    EXPECT_EQ(line.RegisterRead(1).size(), 27u);
    EXPECT_EQ(line.RegisterRead(1).size(), 27u);  // the last reply still reaches the host
    if (!byFlag) line.sim->Unplug();
    ASSERT_TRUE(Eventually([&] { return !line.sim->Serving(); }));
    EXPECT_TRUE(line.client->Receive(1).empty());
    EXPECT_TRUE(line.client->HungUp());
  }
}

TEST(SimFaultsTest, ProbabilitiesHoldOverManyRequests) {
  const struct {
    const char* what;
    kvetral::FaultOptions options;
    double dropped, corrupted, trailed;
  } cases[] = {
      {"drop", {0, 0.3, 0, -1, -1}, 0.3, 0, 0},
      {"corrupt", {0.2, 0, 0, -1, -1}, 0, 0.2, 0},
      {"garbage", {0, 0, 0.1, -1, -1}, 0, 0, 0.1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    kvetral::FaultInjector faults(c.options, 42);
    int dropped = 0, corrupted = 0, trailed = 0;
    const int n = 20000;
    for (int i = 1; i <= n; ++i) {
      if (!faults.Admit(static_cast<std::uint64_t>(i))) {
        ++dropped;
        continue;
      }
      const auto good = pk::BuildWriteReply(pk::RegisterWriteAddress(0x10));
      Bytes reply(good.begin(), good.end());
      faults.Shape(reply);
      if (reply[8] != good[8]) ++corrupted;
      if (reply.size() > good.size()) ++trailed;
    }
    EXPECT_NEAR(dropped / double(n), c.dropped, 0.015);
    EXPECT_NEAR(corrupted / double(n), c.corrupted, 0.015);
    EXPECT_NEAR(trailed / double(n), c.trailed, 0.015);
  }
}

std::vector<std::uint32_t> RunWithSeed(std::uint64_t seed) {
  kvetral::SimOptions options;
  options.seed = seed;
  Line line(options);
  line.client->WriteRegister(mirvo::reg::kControlWord, mirvo::cw::kRun);
  line.sim->AdvanceTime(5.0);
  line.client->WriteRegister(mirvo::reg::kControlWord, 0);
  std::vector<std::uint32_t> counts;
  for (unsigned ch = 0; ch < 4096; ++ch) counts.push_back(line.sim->Count(1, ch));
  return counts;
}

TEST(SimFaultsTest, SameSeedGivesTheSameRun) {
  const auto first = RunWithSeed(7);
  EXPECT_EQ(first, RunWithSeed(7));
  EXPECT_NE(first, RunWithSeed(8));
}

}  // namespace
