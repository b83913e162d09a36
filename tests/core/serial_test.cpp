// The serial port family on a real pseudo-terminal pair.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FakeClock.h"
#include "PtyPair.h"
#include "link/CSerialWnd.h"

namespace mirvo {
namespace {

using test::PtyPair;

// A guard against a hung test, never a time the test relies on.
constexpr int kGuardSeconds = 30;

// A clock that moves on by `step` each time it is read: the listener's quiet time passes after a
// fixed number of looks at the line, however fast or slow the machine is.
class SteppingClock final : public IClock {
 public:
  explicit SteppingClock(std::int64_t step) : step_(step) {}
  std::int64_t UtcMilliseconds() const override { return now_.fetch_add(step_) + step_; }
  CivilTime LocalTime() const override { return CivilFromUtcMilliseconds(Peek()); }
  int UtcOffsetSeconds() const override { return 0; }
  // The present without moving it.
  std::int64_t Peek() const { return now_.load(); }

 private:
  const std::int64_t step_;
  mutable std::atomic<std::int64_t> now_{0};
};

// Collects posted messages the way the user-interface thread's queue would.
class RecordingTarget final : public IMessageTarget {
 public:
  struct Message {
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };
  void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    std::lock_guard lock(mutex_);
    messages_.push_back({message, wParam, lParam});
    changed_.notify_all();
  }
  // Waits for a message (the guard only keeps a broken listener from hanging the test).
  bool WaitForCount(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(kGuardSeconds), [&] { return messages_.size() >= count; });
  }
  std::vector<Message> Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Message> messages_;
};

// Waits until every other thread of this process sleeps in the kernel (state S in its stat): the
// listener then waits in poll. False when the guard passes first.
bool OtherThreadsAsleep() {
  const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(kGuardSeconds);
  const std::string self = std::to_string(::gettid());
  const auto allAsleep = [&self] {
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
      if (task.path().filename() == self) continue;
      std::ifstream stat(task.path() / "stat");
      std::string line;
      std::getline(stat, line);
      const std::size_t name = line.rfind(')');  // the state follows the command name in parentheses
      if (name == std::string::npos || name + 2 >= line.size() || line[name + 2] != 'S') return false;
    }
    return true;
  };
  while (!allAsleep()) {
    if (std::chrono::steady_clock::now() > guard) return false;
    std::this_thread::yield();
  }
  return true;
}

class SerialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    port.SetSleeper(sleeper);
    port.SetQuietClock(&frozenClock);
  }
  PtyPair pty;
  test::FakeClock frozenClock;  // the line never counts as quiet unless a test takes the stepping clock
  SteppingClock steppingClock{5};
  test::FakeSleeper sleeper;
  RecordingTarget target;  // outlives the port, whose listener posts to it until the port is gone
  CSerialMFC port;
};

TEST_F(SerialTest, OpenCloseAndAlreadyOpen) {
  ASSERT_EQ(port.Open(pty.SlavePath(), target, 0, 7, 2000, 2000), serial_error::kSuccess);
  EXPECT_TRUE(port.IsOpen());
  EXPECT_TRUE(port.ListenerRunning());
  EXPECT_EQ(port.Message(), CSerialWnd::kDefaultComMessage);

  // A second open of the same object fails and leaves the open port working.
  EXPECT_EQ(port.Open(pty.SlavePath(), target), serial_error::kAlreadyOpen);
  EXPECT_TRUE(port.IsOpen());
  std::size_t written = 0;
  EXPECT_EQ(port.Write("ok", 2, &written, nullptr, 2000), serial_error::kSuccess);
  EXPECT_EQ(pty.Receive(2), (std::vector<std::uint8_t>{'o', 'k'}));

  // Another port object cannot take the port while it is held.
  CSerial other;
  EXPECT_NE(other.Open(pty.SlavePath()), serial_error::kSuccess);
  EXPECT_FALSE(other.IsOpen());

  EXPECT_EQ(port.Close(), serial_error::kSuccess);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.ListenerRunning());
  EXPECT_EQ(port.Close(), serial_error::kSuccess);  // closing a closed port

  EXPECT_EQ(other.Open(pty.SlavePath()), serial_error::kSuccess);  // released on close
}

TEST_F(SerialTest, OpenOfAMissingDeviceFails) {
  EXPECT_EQ(port.Open("/dev/does-not-exist-ttyKV", target), serial_error::kFileNotFound);
  EXPECT_FALSE(port.IsOpen());
  CSerial plain;
  EXPECT_EQ(plain.Open("/dev/null"), serial_error::kInvalidArgument);  // not a tty
  EXPECT_FALSE(plain.IsOpen());
}

TEST_F(SerialTest, NonBlockingReadOfNothingAndRoundTrip) {
  ASSERT_EQ(port.Open(pty.SlavePath(), target), serial_error::kSuccess);
  ASSERT_EQ(port.Setup(921600), serial_error::kSuccess);
  ASSERT_EQ(port.SetHandshake(kHandshakeRtsCts), serial_error::kSuccess);
  ASSERT_EQ(port.SetReadMode(kReadNonblocking), serial_error::kSuccess);

  std::uint8_t buffer[64];
  std::size_t got = 99;
  EXPECT_EQ(port.Read(buffer, sizeof buffer, &got), serial_error::kSuccess);
  EXPECT_EQ(got, 0u);

  const std::vector<std::uint8_t> request{0x64, 0x00, 0x0B, 0x00, 0x01, 0x80, 0x40, 0x00, 0xFE, 0x00, 0xD5};
  std::size_t written = 0;
  EXPECT_EQ(port.Write(request.data(), request.size(), &written, nullptr, 2000), serial_error::kSuccess);
  EXPECT_EQ(written, request.size());
  EXPECT_EQ(pty.Receive(request.size()), request);

  std::vector<std::uint8_t> reply(279);
  for (std::size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<std::uint8_t>(i * 7);
  pty.Send(reply);
  ASSERT_TRUE(target.WaitForCount(1));
  std::vector<std::uint8_t> received;
  for (int attempt = 0; attempt < 500 && received.size() < reply.size(); ++attempt) {
    EXPECT_EQ(port.Read(buffer, sizeof buffer, &got), serial_error::kSuccess);
    received.insert(received.end(), buffer, buffer + got);
    if (got == 0) target.WaitForCount(target.Messages().size() + 1);
  }
  EXPECT_EQ(received, reply);

  EXPECT_EQ(port.GetBaudRate(), 921600);
  EXPECT_EQ(port.GetDataBits(), 8);
  EXPECT_EQ(port.GetParity(), 0);
  EXPECT_EQ(port.GetStopBits(), 0);
}

TEST_F(SerialTest, ListenerPostsCharacterReceivedAndEndsOnClose) {
  ASSERT_EQ(port.Open(pty.SlavePath(), target, 0x401, 1234), serial_error::kSuccess);
  ASSERT_EQ(port.SetEventMask(serial_event::kRxChar | serial_event::kLineError), serial_error::kSuccess);
  pty.Send({0x55});
  ASSERT_TRUE(target.WaitForCount(1));
  const auto first = target.Messages().front();
  EXPECT_EQ(first.message, 0x401u);
  EXPECT_EQ(first.wParam, serial_event::kRxChar);  // no line errors in the high word
  EXPECT_EQ(first.lParam, 1234);

  // More bytes on top of the unread ones are announced.
  pty.Send({0x56});
  ASSERT_TRUE(target.WaitForCount(2));

  // The listener is blocked in its wait: stopping wakes it and it ends (StopListener reports a
  // time-out when the listener had to be left behind; the bound here only guards against a hang).
  EXPECT_EQ(port.StopListener(kGuardSeconds * 1000), serial_error::kSuccess);
  EXPECT_FALSE(port.ListenerRunning());
  // Closing a port whose listener waits ends it too.
  ASSERT_EQ(port.StartListener(), serial_error::kSuccess);
  EXPECT_TRUE(port.ListenerRunning());
  EXPECT_EQ(port.Close(), serial_error::kSuccess);
  EXPECT_FALSE(port.ListenerRunning());
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialTest, NotifyThresholdReportsOnceTheBytesAreThere) {
  // The quiet clock stands still: however long the second piece takes, the first is not reported alone.
  ASSERT_EQ(port.Open(pty.SlavePath(), target), serial_error::kSuccess);
  ASSERT_EQ(port.Setup(921600), serial_error::kSuccess);
  port.SetNotifyThreshold(10);
  pty.Send({1, 2, 3, 4});
  pty.Send({5, 6, 7, 8, 9, 10});
  ASSERT_TRUE(target.WaitForCount(1));
  std::uint8_t buffer[16];
  std::size_t got = 0;
  ASSERT_EQ(port.Read(buffer, sizeof buffer, &got), serial_error::kSuccess);
  EXPECT_EQ(got, 10u);  // one event for the whole piece, not one for its first bytes
  EXPECT_EQ(target.Messages().size(), 1u);
}

TEST_F(SerialTest, BelowTheNotifyThresholdAQuietLineIsReported) {
  SteppingClock& clock = steppingClock;
  port.SetQuietClock(&clock);
  ASSERT_EQ(port.Open(pty.SlavePath(), target), serial_error::kSuccess);
  ASSERT_EQ(port.Setup(921600), serial_error::kSuccess);
  // As the engine does it: the threshold for the next reply is set while the listener already
  // waits in poll (with the threshold 1 it had before); the bytes are judged by the new one.
  ASSERT_TRUE(OtherThreadsAsleep());
  port.SetNotifyThreshold(10);
  const std::int64_t sent = clock.Peek();
  pty.Send({1, 2, 3, 4});  // a short reply: the rest never comes
  ASSERT_TRUE(target.WaitForCount(1));
  EXPECT_GE(clock.Peek() - sent, 50);  // held back until the line had been quiet for 50 ms of its clock
  std::uint8_t buffer[16];
  std::size_t got = 0;
  ASSERT_EQ(port.Read(buffer, sizeof buffer, &got), serial_error::kSuccess);
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(target.Messages().size(), 1u);
}

TEST_F(SerialTest, AHungUpLineIsLookedAtNowAndThenInsteadOfSpunOn) {
  ASSERT_EQ(port.Open(pty.SlavePath(), target), serial_error::kSuccess);
  ASSERT_TRUE(OtherThreadsAsleep());
  // The instrument is unplugged: from now on the tty is always "readable" and hung up. The
  // listener sleeps between its looks at it (a listener that polled it without pause would never
  // sleep, and the guard would fail the test).
  pty.CloseMaster();
  // Nothing arrived to report; the hang-up itself is reported, once.
  ASSERT_TRUE(target.WaitForCount(1));
  EXPECT_TRUE(OtherThreadsAsleep());
  ASSERT_EQ(target.Messages().size(), 1u);
  EXPECT_EQ(target.Messages()[0].wParam & 0xFFFF, serial_event::kHangUp);
  // Reading the dead line still wakes it, and closing ends it.
  std::uint8_t buffer[4];
  std::size_t got = 1;
  EXPECT_EQ(port.Read(buffer, sizeof buffer, &got), serial_error::kSuccess);
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(OtherThreadsAsleep());
  EXPECT_EQ(port.Close(), serial_error::kSuccess);
  EXPECT_FALSE(port.ListenerRunning());
}

TEST_F(SerialTest, EventWordPacksLineErrorsAboveEvents) {
  EXPECT_EQ(CSerialWnd::PackEvent(serial_event::kRxChar | serial_event::kLineError, line_error::kFrame),
            0x00080081u);
  EXPECT_EQ(CSerialWnd::PackEvent(0, line_error::kOverrun), 0x00020000u);
}

TEST_F(SerialTest, HandshakeAndReadModes) {
  ASSERT_EQ(port.Open(pty.SlavePath(), target), serial_error::kSuccess);
  struct Case {
    int mode;
    long expectedResult;
    long readsBack;
  };
  const Case cases[] = {
      {kHandshakeOff, serial_error::kSuccess, 0},
      {kHandshakeHardware, serial_error::kSuccess, 1},
      {kHandshakeSoftware, serial_error::kSuccess, 2},
      {kHandshakeRtsCts, serial_error::kSuccess, 0},  // RTS/CTS alone is not "both DTR and RTS"
      {4, serial_error::kInvalidArgument, 0},
      {-1, serial_error::kInvalidArgument, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    ASSERT_EQ(port.SetHandshake(kHandshakeOff), serial_error::kSuccess);
    EXPECT_EQ(port.SetHandshake(c.mode), c.expectedResult);
    EXPECT_EQ(port.GetLastError(), c.expectedResult);
    EXPECT_EQ(port.GetHandshake(), c.readsBack);
  }
  EXPECT_EQ(port.SetReadMode(kReadBlocking), serial_error::kSuccess);
  EXPECT_EQ(port.SetReadMode(2), serial_error::kInvalidArgument);
  EXPECT_EQ(port.SetReadMode(kReadNonblocking), serial_error::kSuccess);
  EXPECT_EQ(port.Setup(12345), serial_error::kInvalidArgument);  // not a rate the tty offers
}

TEST_F(SerialTest, EventMaskAndEventChar) {
  ASSERT_EQ(port.Open(pty.SlavePath(), target), serial_error::kSuccess);
  EXPECT_EQ(port.GetEventMask(), serial_event::kDefaultMask);
  EXPECT_EQ(port.SetEventMask(0x0081), serial_error::kSuccess);
  EXPECT_EQ(port.SetEventChar('\n', true), serial_error::kSuccess);
  EXPECT_EQ(port.GetEventChar(), '\n');
  EXPECT_EQ(port.GetEventMask(), 0x0083u);
}

TEST_F(SerialTest, WriteThatCannotCompleteTimesOutAndLeavesNothingPending) {
  ASSERT_EQ(port.Open(pty.SlavePath(), target), serial_error::kSuccess);
  // Nobody reads the other end: the tty's buffer fills and the write cannot complete.
  std::vector<std::uint8_t> block(1 << 20, 0xA5);
  std::size_t written = 0;
  EXPECT_EQ(port.Write(block.data(), block.size(), &written, nullptr, 20), serial_error::kTimeout);
  EXPECT_LT(written, block.size());
  const std::size_t queued = written;
  // The cancelled transfer is gone from the output queue: once the instrument side has taken what
  // had already crossed the line, the next write completes and nothing of the block follows it.
  EXPECT_EQ(port.Purge(), serial_error::kSuccess);
  std::vector<std::uint8_t> received = pty.ReceiveAvailable();
  const std::uint8_t marker[] = {0x42};
  EXPECT_EQ(port.Write(marker, 1, &written, nullptr, kGuardSeconds * 1000), serial_error::kSuccess);
  while (received.empty() || received.back() != 0x42) {
    const auto more = pty.Receive(1);
    ASSERT_EQ(more.size(), 1u) << "the marker never arrived";
    received.push_back(more[0]);
  }
  received.pop_back();
  EXPECT_LT(received.size(), queued);  // the rest of what the write had queued was discarded
  EXPECT_EQ(std::count(received.begin(), received.end(), 0xA5), static_cast<long>(received.size()));
}

TEST_F(SerialTest, NonOverlappedPortRefusesTimeOutsAndBlocks) {
  CSerial plain;
  ASSERT_EQ(plain.Open(pty.SlavePath()), serial_error::kSuccess);
  std::uint8_t buffer[4];
  SerialOverlapped block;
  EXPECT_EQ(plain.Read(buffer, 4, nullptr, nullptr, 100), serial_error::kInvalidFunction);
  EXPECT_EQ(plain.Read(buffer, 4, nullptr, &block), serial_error::kInvalidFunction);
  EXPECT_EQ(plain.WaitForEvent(nullptr, 100), serial_error::kInvalidFunction);
  std::size_t got = 0;
  EXPECT_EQ(plain.Read(buffer, 4, &got), serial_error::kSuccess);
  EXPECT_EQ(got, 0u);
}

TEST_F(SerialTest, BreakWaitsThroughTheSleeper) {
  ASSERT_EQ(port.Open(pty.SlavePath(), target), serial_error::kSuccess);
  EXPECT_EQ(port.SendBreak(), serial_error::kSuccess);
  EXPECT_EQ(sleeper.sleeps, std::vector<int>{100});
}

TEST_F(SerialTest, EveryOperationOnAClosedPortIsNotOpen) {
  std::uint8_t buffer[4] = {};
  std::size_t count = 0;
  EXPECT_EQ(port.Setup(921600), serial_error::kNotOpen);
  EXPECT_EQ(port.SetHandshake(3), serial_error::kNotOpen);
  EXPECT_EQ(port.SetReadMode(0), serial_error::kNotOpen);
  EXPECT_EQ(port.SetEventMask(0x81), serial_error::kNotOpen);
  EXPECT_EQ(port.SetEventChar('x'), serial_error::kNotOpen);
  EXPECT_EQ(port.WaitForEvent(), serial_error::kNotOpen);
  EXPECT_EQ(port.Write(buffer, 4, &count), serial_error::kNotOpen);
  EXPECT_EQ(port.WriteString("x"), serial_error::kNotOpen);
  EXPECT_EQ(port.Read(buffer, 4, &count), serial_error::kNotOpen);
  EXPECT_EQ(port.Purge(), serial_error::kNotOpen);
  EXPECT_EQ(port.SendBreak(), serial_error::kNotOpen);
  EXPECT_EQ(port.StartListener(), serial_error::kNotOpen);
  EXPECT_EQ(port.GetBaudRate(), -1);
  EXPECT_EQ(port.GetLastError(), serial_error::kNotOpen);
  EXPECT_EQ(port.GetDataBits(), -1);
  EXPECT_EQ(port.GetParity(), -1);
  EXPECT_EQ(port.GetStopBits(), -1);
  EXPECT_EQ(port.GetHandshake(), -1);
  EXPECT_EQ(port.GetEventMask(), 0u);
  EXPECT_EQ(port.GetEventChar(), 0);
  EXPECT_TRUE(sleeper.sleeps.empty());
}

}  // namespace
}  // namespace mirvo
