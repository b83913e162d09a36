// The end of a logged run as the engine sees it, with the instrument played on a pseudo-terminal:
// a run that is over before any status read found it running must still be read, counted and saved.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

#include "FakeClock.h"
#include "LinkDoubles.h"
#include "PtyPair.h"
#include "acquisition/LinkLifecycle.h"
#include "protocol/Packets.h"

namespace mirvo {
namespace {

using Bytes = std::vector<std::uint8_t>;


class LoggerRunEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    lifecycle.SetDeviceName(pty.SlavePath());
    ASSERT_TRUE(lifecycle.ConnectHardware());
    lifecycle.AutoUpdateBox().SetAutoUpdate(false);  // only the series' own requests go out
    Answer(Next(), 0);                                // the first status read: stopped, times cleared
    lifecycle.SetLoggedSeries(&series);
    series.running = true;
    series.enabled = true;
    series.runs = 2;
  }
  CHardwareLink& Link() { return lifecycle.Link(); }

  Bytes Next() {
    Bytes request = pty.Receive(4);
    if (request.size() < 4) return request;
    const Bytes rest = pty.Receive((request[2] | (request[3] << 8)) - 4u);
    request.insert(request.end(), rest.begin(), rest.end());
    return request;
  }
  // Replies as the instrument would, with this control word in a status read.
  void Answer(const Bytes& request, std::uint16_t controlWord) {
    ASSERT_GE(request.size(), 8u);
    const std::uint32_t address = packet::GetLong(request, 4);
    Bytes reply;
    if (packet::GetWord(request, 0) == packet::kWriteOpcode) {
      const auto write = packet::BuildWriteReply(address);
      reply.assign(write.begin(), write.end());
    } else {
      Bytes data(packet::GetWord(request, 8), 0);
      if (address == packet::RegisterReadAddress(1)) {
        data[2 * (reg::kControlWord - 1)] = static_cast<std::uint8_t>(controlWord & 0xFF);
        data[2 * (reg::kControlWord - 1) + 1] = static_cast<std::uint8_t>(controlWord >> 8);
      }
      reply = packet::BuildReadReply(address, std::vector<std::uint16_t>(8, 0), data);
    }
    // A half of the spectrum memory is more than the pty holds: the engine reads as it arrives.
    const auto before = Link().Statistics().acceptedReplies;
    std::size_t sent = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);  // guard only
    while (Link().Statistics().acceptedReplies == before && std::chrono::steady_clock::now() < end) {
      if (sent < reply.size()) {
        const ssize_t n = ::write(pty.Master(), reply.data() + sent, reply.size() - sent);
        if (n > 0) sent += static_cast<std::size_t>(n);
      }
      pollfd pfd{Link().Port().Handle(), POLLIN, 0};
      ::poll(&pfd, 1, 20);
      lifecycle.OnSerialEvent(serial_event::kRxChar);
    }
  }
  // Answers every request until one that `wanted` picks, which is returned unanswered.
  template <typename Predicate>
  Bytes AnswerUntil(Predicate wanted) {
    for (int guard = 0; guard < 100; ++guard) {
      Bytes request = Next();
      if (request.size() < 8 || wanted(request)) return request;
      Answer(request, 0);
    }
    return {};
  }
  static bool IsHalf(const Bytes& request) { return request.size() >= 11 && packet::GetWord(request, 8) == 32768; }
  static bool StartsARun(const Bytes& request) {
    return request.size() > packet::kWriteHeaderLength + 1 && packet::GetWord(request, 0) == packet::kWriteOpcode &&
           packet::GetLong(request, 4) == packet::RegisterWriteAddress(reg::kControlWord) &&
           (packet::GetWord(request, packet::kWriteHeaderLength) & cw::kRun) != 0;
  }
  static bool IsStatusRead(const Bytes& request) {
    return request.size() >= 11 && packet::GetLong(request, 4) == packet::RegisterReadAddress(1) &&
           packet::GetWord(request, 8) == 254;
  }

  test::PtyPair pty;
  test::FakeSleeper sleeper;
  test::RecordingLinkHost host;
  test::ScriptedSeries series;
  test::NullTarget target;
  test::RecordedLifecycle lifecycle{host, target, sleeper};
};

TEST_F(LoggerRunEndTest, ARunOverBeforeAnyStatusReadSawItIsStillSaved) {
  // START of the series: the settings write carries the run bits.
  host.image.SetRun();
  host.image.CopyToCommandHalf();
  Link().WriteSettingsRegisters();
  Answer(Next(), 0);

  // The status read that follows finds the run already over (it was short, or this read had to be
  // repeated until after its end).
  const Bytes status = AnswerUntil(IsStatusRead);
  ASSERT_TRUE(IsStatusRead(status));
  Answer(status, 0);
  EXPECT_EQ(lifecycle.Policy().Step(), LoggedStep::kReadFirstHalf);

  const Bytes firstHalf = Next();
  ASSERT_EQ(firstHalf.size(), packet::kReadRequestLength);
  EXPECT_EQ(packet::GetLong(firstHalf, 4), packet::SpectrumReadAddress(0));
  EXPECT_EQ(packet::GetWord(firstHalf, 8), 32768);
  Answer(firstHalf, 0);
  const Bytes secondHalf = Next();
  ASSERT_EQ(secondHalf.size(), packet::kReadRequestLength);
  EXPECT_EQ(packet::GetLong(secondHalf, 4), packet::SpectrumReadAddress(8192));
  Answer(secondHalf, 0);
  EXPECT_EQ(series.saved, std::vector<int>{1});
  EXPECT_EQ(series.completed, 1);

  // The reset between runs goes out, then the restart of run 2 with its stamp.
  Answer(AnswerUntil(StartsARun), 0);

  // Run 2 is also over by the first status read: the series still ends with both runs saved.
  Answer(AnswerUntil(IsStatusRead), 0);
  const Bytes half = AnswerUntil(IsHalf);
  Answer(half, 0);
  Answer(AnswerUntil(IsHalf), 0);
  EXPECT_EQ(series.saved, (std::vector<int>{1, 2}));
  EXPECT_FALSE(series.running);
  EXPECT_FALSE(series.enabled);
}

TEST_F(LoggerRunEndTest, AStoppedInstrumentWithoutAStartedRunIsNotARunEnd) {
  // A write that does not start a run (a panel change during the series) proves nothing.
  Link().WriteSettingsRegisters();
  Answer(Next(), 0);
  const Bytes status = Next();
  ASSERT_TRUE(IsStatusRead(status));
  Answer(status, 0);
  EXPECT_EQ(lifecycle.Policy().Step(), LoggedStep::kNone);
  EXPECT_TRUE(series.saved.empty());
}

TEST_F(LoggerRunEndTest, AStatusReadInFlightAtALoggedStartIsNotARunEnd) {
  // An ordinary run before the series: seen running, then seen ended.
  series.running = false;
  Link().RequestStatusRead();
  Answer(Next(), cw::kRun);
  Link().RequestStatusRead();
  Answer(Next(), 0);
  // A status read is on the line when the logged START is pressed; it shows the instrument stopped.
  Link().RequestStatusRead();
  const Bytes inFlight = Next();
  ASSERT_TRUE(IsStatusRead(inFlight));
  series.running = true;
  Answer(inFlight, 0);
  EXPECT_EQ(lifecycle.Policy().Step(), LoggedStep::kNone);
  EXPECT_TRUE(series.saved.empty());
  EXPECT_EQ(series.completed, 0);
}

}  // namespace
}  // namespace mirvo
