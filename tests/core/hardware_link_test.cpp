// The transaction engine and the connection lifecycle against a scripted instrument on a real
// pseudo-terminal: the test plays the instrument on the master side and drives the engine's events.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>

#include <chrono>
#include <vector>

#include "FakeClock.h"
#include "LinkDoubles.h"
#include "PtyPair.h"
#include "acquisition/LinkLifecycle.h"
#include "protocol/Packets.h"

namespace mirvo {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::NullTarget;

// What an instrument puts in a reply: status words and register contents.
const std::vector<std::uint16_t> kStatusWords{250, 7, 12, 0, 3300, 0, 31, 0};

class HardwareLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    lifecycle.SetDeviceName(pty.SlavePath());
    host.refreshEnable = 0;
  }

  CHardwareLink& Link() { return lifecycle.Link(); }

  // The next request the engine sent, read from the master side.
  Bytes NextRequest() {
    Bytes header = pty.Receive(4);
    if (header.size() < 4) return header;
    const std::size_t length = header[2] | (header[3] << 8);
    Bytes rest = pty.Receive(length - 4);
    header.insert(header.end(), rest.begin(), rest.end());
    return header;
  }

  // Sends bytes to the engine and lets it consume them as the serial-event handler would.
  void Deliver(const Bytes& bytes) {
    const auto before = Link().Statistics().bytesReceived;
    pty.Send(bytes);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (Link().Statistics().bytesReceived - before < bytes.size() && std::chrono::steady_clock::now() < end) {
      pollfd pfd{Link().Port().Handle(), POLLIN, 0};
      ::poll(&pfd, 1, 20);
      const auto consumed = Link().Statistics().bytesReceived;
      lifecycle.OnSerialEvent(serial_event::kRxChar);
      if (Link().Statistics().bytesReceived == consumed && !Link().Busy()) break;  // idle: drained, not counted
    }
  }

  // The reply a well-behaved instrument gives to a request.
  static Bytes ReplyTo(const Bytes& request, std::uint16_t controlWord = 0) {
    const std::uint32_t address = packet::GetLong(request, 4);
    if (packet::GetWord(request, 0) == packet::kWriteOpcode) {
      const auto reply = packet::BuildWriteReply(address);
      return Bytes(reply.begin(), reply.end());
    }
    const std::uint16_t n = packet::GetWord(request, 8);
    Bytes data(n, 0);
    if (address == packet::RegisterReadAddress(1) && n >= 0x20) {
      data[2 * (reg::kControlWord - 1)] = static_cast<std::uint8_t>(controlWord & 0xFF);
      data[2 * (reg::kControlWord - 1) + 1] = static_cast<std::uint8_t>(controlWord >> 8);
    }
    return packet::BuildReadReply(address, kStatusWords, data);
  }

  void AnswerNext() { Deliver(ReplyTo(NextRequest())); }

  static bool IsStatusRead(const Bytes& request) {
    const auto expected = packet::BuildReadRequest(packet::RegisterReadAddress(1), 254);
    return request == Bytes(expected.begin(), expected.end());
  }
  static unsigned ChunkStart(const Bytes& request) { return (packet::GetLong(request, 4) - packet::kReadSpace) / 2; }
  static unsigned ChunkBytes(const Bytes& request) { return packet::GetWord(request, 8); }

  test::PtyPair pty;
  test::FakeSleeper sleeper;
  void SetAutoUpdate(bool checked) { lifecycle.AutoUpdateBox().SetAutoUpdate(checked); }

  test::RecordingLinkHost host;
  NullTarget target;
  test::RecordedLifecycle lifecycle{host, target, sleeper};
};

TEST_F(HardwareLinkTest, ConnectSendsTheFirstStatusReadBeforeAnyReply) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  EXPECT_EQ(host.lines, std::vector<std::string>{"Connected to: " + pty.SlavePath()});
  EXPECT_TRUE(Link().Connected());
  EXPECT_FALSE(Link().Responding());
  EXPECT_TRUE(lifecycle.PortInUse());
  EXPECT_TRUE(lifecycle.AutoUpdateBox().AutoUpdate());
  EXPECT_EQ(host.refreshEnable, 1);
  EXPECT_EQ(lifecycle.CurrentState(), LinkLifecycle::State::kAwaitingFirstReply);
  EXPECT_EQ(sleeper.sleeps, (std::vector<int>{100, 200}));  // break, then the settle wait
  EXPECT_EQ(Link().Port().GetBaudRate(), 921600);
  EXPECT_TRUE(IsStatusRead(NextRequest()));
}

TEST_F(HardwareLinkTest, PollingScheduleFourChunksThenAStatusRead) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  host.refreshEnable = 1;
  // (chunk start, bytes) of every request after the first status read; 0 marks a status read.
  struct Expect {
    unsigned start;
    unsigned bytes;
  };
  const Expect schedule[] = {{0, 0},     {2050, 8200},  {4100, 8200},  {6150, 8200},  {8200, 8200},
                             {0, 0},     {10250, 8200}, {12300, 8200}, {14350, 8136}, {0, 8200},
                             {0, 0},     {2050, 8200}};
  for (const Expect& e : schedule) {
    const Bytes request = NextRequest();
    if (e.bytes == 0) {
      EXPECT_TRUE(IsStatusRead(request));
    } else {
      EXPECT_EQ(ChunkStart(request), e.start);
      EXPECT_EQ(ChunkBytes(request), e.bytes);
    }
    Deliver(ReplyTo(request));
  }
  EXPECT_TRUE(Link().Responding());
  EXPECT_EQ(host.status.serialnumber, 7);  // taken from the chunk replies too
  EXPECT_EQ(lifecycle.CurrentState(), LinkLifecycle::State::kRunning);
}

TEST_F(HardwareLinkTest, ChunkRepliesLandInSpectrumMemory) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  AnswerNext();  // status
  const Bytes request = NextRequest();
  ASSERT_EQ(ChunkStart(request), 2050u);
  Bytes data(ChunkBytes(request));
  for (std::size_t i = 0; i < data.size(); i += 4) data[i] = static_cast<std::uint8_t>(i / 4 + 1);
  Deliver(packet::BuildReadReply(packet::GetLong(request, 4), kStatusWords, data));
  EXPECT_EQ(host.memory.Counts()[2050], 1u);
  EXPECT_EQ(host.memory.Counts()[2050 + 99], 100u);
  EXPECT_EQ(host.memory.Counts()[2049], 0u);
}

TEST_F(HardwareLinkTest, WriteRequestedDuringAChunkGoesOutNextWithTheImageOfThatMoment) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  AnswerNext();  // status; the first chunk is now in flight
  const Bytes chunk = NextRequest();
  ASSERT_EQ(ChunkStart(chunk), 2050u);

  host.image[0x20] = 1;
  Link().WriteSettingsRegisters();
  host.image[0x20] = 2;
  Link().WriteSettingsRegisters();  // the same slot: still one write
  EXPECT_TRUE(Link().Pending(CHardwareLink::kSlotSettingsWrite));
  host.image[0x20] = 3;

  Deliver(ReplyTo(chunk));
  const Bytes write = NextRequest();
  ASSERT_EQ(packet::GetWord(write, 0), packet::kWriteOpcode);
  EXPECT_EQ(packet::GetLong(write, 4), 0xC0800Cu);
  ASSERT_EQ(write.size(), 232u + 9u);
  EXPECT_EQ(packet::GetWord(write, 8 + 2 * (0x20 - 0x0C)), 3);
  EXPECT_EQ(host.refreshEnable, 1);

  Deliver(ReplyTo(write));
  const Bytes next = NextRequest();
  EXPECT_EQ(ChunkStart(next), 4100u);  // polling goes on, and the write was sent only once
}

TEST_F(HardwareLinkTest, CorruptReplyIsRepeatedByteForByte) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  const Bytes request = NextRequest();
  Bytes reply = ReplyTo(request);
  reply.back() ^= 0x5A;
  Deliver(reply);
  EXPECT_EQ(host.lines.back(), "Repeat Read Command");
  EXPECT_EQ(sleeper.sleeps.back(), 1000);
  EXPECT_TRUE(Link().ReadError());
  EXPECT_EQ(NextRequest(), request);
  Deliver(ReplyTo(request));
  EXPECT_TRUE(Link().Responding());
  EXPECT_EQ(Link().Statistics().repeats, 1u);
}

TEST_F(HardwareLinkTest, WriteReplyWithBadChecksumWaitsForNineBytesAgain) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  SetAutoUpdate(false);
  AnswerNext();  // status; nothing further while AUTO UPDATE is off
  Link().WriteControlRegisters();
  const Bytes write = NextRequest();
  Bytes reply = ReplyTo(write);
  reply.back() ^= 1;
  Deliver(reply);
  EXPECT_EQ(host.lines.back(), "Repeat Write Command");
  EXPECT_EQ(Link().ExpectedLength(), 9u);
  EXPECT_EQ(NextRequest(), write);
  Deliver(ReplyTo(write));
  EXPECT_FALSE(Link().Busy());
}

TEST_F(HardwareLinkTest, FourthFailureGivesUpAndTheTimerClosesTheLink) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  const Bytes request = NextRequest();
  Bytes bad = ReplyTo(request);
  bad[6] ^= 0x80;  // address with bit 23 flipped
  bad.back() = packet::Checksum(std::span(bad).first(bad.size() - 1));
  for (int attempt = 0; attempt < 4; ++attempt) {
    Deliver(bad);
    if (attempt < 3) {
      EXPECT_EQ(NextRequest(), request);
    }
  }
  EXPECT_EQ(Link().RetryCounter(), CHardwareLink::kRetryLimit);
  EXPECT_EQ(lifecycle.CurrentState(), LinkLifecycle::State::kFailing);

  // A good reply now is not examined.
  Deliver(ReplyTo(request));
  EXPECT_FALSE(Link().Responding());
  EXPECT_EQ(Link().Statistics().acceptedReplies, 0u);

  for (int tick = 0; tick < CHardwareLink::kTimeoutTicks; ++tick) lifecycle.OnCommTimer();
  EXPECT_TRUE(Link().Connected());
  lifecycle.OnCommTimer();
  const std::vector<std::string> expected{"Connected to: " + pty.SlavePath(),
                                          "Repeat Read Command",
                                          "Repeat Read Command",
                                          "Repeat Read Command",
                                          "Max Number of Repeat Read Reached",
                                          "Communication Time Out- Timer",
                                          "Disconnected from hardware"};
  EXPECT_EQ(host.lines, expected);
  EXPECT_FALSE(Link().Connected());
  EXPECT_FALSE(Link().Port().IsOpen());
  EXPECT_FALSE(lifecycle.PortInUse());
  EXPECT_FALSE(lifecycle.AutoUpdateBox().AutoUpdate());
  EXPECT_EQ(lifecycle.CurrentState(), LinkLifecycle::State::kClosed);
}

TEST_F(HardwareLinkTest, SilentInstrumentIsGivenUpAfterAboutTwentyOneSeconds) {
  test::FakeClock clock;
  test::FakeSleeper timedSleeper(&clock);
  test::RecordedLifecycle timed(host, target, timedSleeper);
  timed.SetDeviceName(pty.SlavePath());
  ASSERT_TRUE(timed.ConnectHardware());
  const std::int64_t connectedAt = clock.UtcMilliseconds();
  const Bytes first = NextRequest();
  int ticks = 0;
  std::uint64_t sent = timed.Link().Statistics().requestsSent;
  while (timed.Link().Connected() && ticks < 1000) {
    clock.Advance(200);
    timed.OnCommTimer();
    ++ticks;
    if (timed.Link().Statistics().requestsSent != sent) {
      sent = timed.Link().Statistics().requestsSent;
      EXPECT_EQ(NextRequest(), first);  // every attempt sends the same request
    }
  }
  EXPECT_EQ(ticks, 4 * 23);
  EXPECT_EQ(sent, 4u);
  const double seconds = (clock.UtcMilliseconds() - connectedAt) / 1000.0;
  EXPECT_NEAR(seconds, 21.5, 0.01);  // 92 ticks, three 1 s pauses, and the 100 ms wait of the close
  EXPECT_EQ(std::count(host.lines.begin(), host.lines.end(), "Repeat Read Command"), 3);
  EXPECT_EQ(host.lines.back(), "Disconnected from hardware");
}

TEST_F(HardwareLinkTest, UnpluggedInstrumentClosesTheLinkAtOnce) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  AnswerNext();
  NextRequest();  // a chunk in flight
  pty.CloseMaster();
  lifecycle.OnSerialEvent(serial_event::kRxChar);  // reads nothing, checks nothing
  EXPECT_TRUE(Link().Connected());
  // The listener's report of the hang-up closes the link at once, without four time-outs.
  lifecycle.OnSerialEvent(serial_event::kHangUp);
  EXPECT_FALSE(Link().Connected());
  ASSERT_GE(host.lines.size(), 2u);
  EXPECT_EQ(host.lines[host.lines.size() - 2], "The port hung up (instrument unplugged or switched off)");
  EXPECT_EQ(host.lines.back(), "Disconnected from hardware");
}

TEST_F(HardwareLinkTest, ReplyTimeOutGrowsWithTheLineTimeOfTheReply) {
  struct Case {
    unsigned baud;
    int minimumTicks;  // 22 plus the whole 200 ms ticks a full spectrum chunk needs on the line
  };
  for (const Case c : {Case{921600, 22}, Case{115200, 24}, Case{9600, 22 + 34}}) {
    SCOPED_TRACE(c.baud);
    lifecycle.SetBaudRate(c.baud);
    ASSERT_TRUE(lifecycle.ConnectHardware());
    AnswerNext();
    NextRequest();  // the first spectrum chunk is in flight
    EXPECT_GE(Link().ReplyTimeoutTicks(), c.minimumTicks);
    EXPECT_LE(Link().ReplyTimeoutTicks(), c.minimumTicks + 12);
  }
}

TEST_F(HardwareLinkTest, ConnectWhileConnectedStartsAfresh) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  NextRequest();
  Link().RequestTraceRead();  // queued behind the status read in flight
  EXPECT_TRUE(Link().Pending(CHardwareLink::kSlotTrace));
  ASSERT_TRUE(lifecycle.ConnectHardware());
  EXPECT_FALSE(Link().Pending(CHardwareLink::kSlotTrace));
  EXPECT_TRUE(IsStatusRead(NextRequest()));
  EXPECT_TRUE(Link().Connected());
}

TEST_F(HardwareLinkTest, PortThatCannotBeOpenedSaysWhy) {
  // Held by another program: a second open of the same tty.
  CSerial other;
  ASSERT_EQ(other.Open(pty.SlavePath()), serial_error::kSuccess);
  const struct {
    std::string device;
    std::string reason;
  } cases[] = {
      {"/dev/ttyKV-no-such-port", "/dev/ttyKV-no-such-port: no such device (unplugged, or another port name)"},
      {"/dev/null", "/dev/null: not a serial port"},
      {pty.SlavePath(), pty.SlavePath() + ": the port is in use by another program"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.device);
    host.errors.clear();
    host.lines.clear();
    lifecycle.SetDeviceName(c.device);
    EXPECT_FALSE(lifecycle.ConnectHardware());
    // The specified message, then the system's reason on the next line of the log.
    EXPECT_EQ(host.errors, std::vector<std::string>{"Unable to open COM-port"});
    EXPECT_EQ(host.lines, (std::vector<std::string>{c.reason, "Disconnected from hardware"}));
    EXPECT_FALSE(Link().Connected());
    EXPECT_FALSE(Link().Responding());
    EXPECT_FALSE(lifecycle.PortInUse());
  }
}

TEST_F(HardwareLinkTest, RequestsRefusedWhileTheLinkIsDown) {
  Link().RequestSpectrumRead();
  Link().RequestTraceRead();
  Link().WriteAllRegisters();
  Link().WriteSettingsRegisters();
  Link().WriteControlRegisters();
  Link().RequestStatusRead();  // refused silently
  const std::vector<std::string> expected{"2-Hardware not connected!", "1-Hardware not connected!",
                                          "6-Hardware not connected!", "5-Hardware not connected!",
                                          "5-Hardware not connected!"};
  EXPECT_EQ(host.errors, expected);
  EXPECT_FALSE(Link().Busy());
}

TEST_F(HardwareLinkTest, PortEventsDuringCloseAndLineErrors) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  const Bytes request = NextRequest();
  lifecycle.OnSerialEvent(CSerialWnd::PackEvent(0, line_error::kFrame));
  EXPECT_EQ(host.lines.back(), "An internal error occurred.");
  const auto count = host.lines.size();
  lifecycle.OnSerialEvent(serial_event::kBreak | serial_event::kRing);
  EXPECT_EQ(host.lines.size(), count + 2);
  EXPECT_EQ(host.lines[count], "Break detected on input.");
  EXPECT_EQ(host.lines[count + 1], "Ring detected.");

  lifecycle.DisconnectHardware();
  EXPECT_EQ(host.lines.back(), "Disconnected from hardware");
  const auto afterClose = host.lines.size();
  lifecycle.OnSerialEvent(CSerialWnd::PackEvent(serial_event::kRxChar | serial_event::kLineError, 1));
  EXPECT_EQ(host.lines.size(), afterClose);  // ignored
}

TEST_F(HardwareLinkTest, StatusReadWithRefreshDisabledTakesOnlyTheStatusValues) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  host.refreshEnable = 0;
  SetAutoUpdate(false);
  host.image[reg::kControlWord] = cw::kResetPulseA;
  Deliver(ReplyTo(NextRequest(), cw::kRun));
  EXPECT_EQ(host.image[reg::kControlWord], cw::kResetPulseA);  // unchanged, pulses not acknowledged
  EXPECT_EQ(host.refreshes, 0);
  EXPECT_EQ(host.status.firmware, 250);
  EXPECT_EQ(host.status.intemp, 31);
  EXPECT_DOUBLE_EQ(host.status.slowadc, 3.3);

  host.refreshEnable = 1;
  Link().RequestStatusRead();
  Deliver(ReplyTo(NextRequest(), cw::kRun | cw::kResetPulseA));
  EXPECT_EQ(host.image[reg::kControlWord], cw::kRun | cw::kResetIdle);  // folded, pulses acknowledged
  EXPECT_EQ(lifecycle.Policy().LastRunBit(), 1);
  EXPECT_EQ(host.refreshes, 1);
}

TEST_F(HardwareLinkTest, ResetPulseIsAcknowledgedAfterTheWriteReply) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  SetAutoUpdate(false);
  AnswerNext();
  host.image.RaiseResetPulses();
  Link().WriteSettingsRegisters();
  const Bytes write = NextRequest();
  EXPECT_EQ(packet::GetWord(write, 8 + 2 * (reg::kControlWord - 0x0C)) & (cw::kResetPulseA | cw::kResetPulseB),
            cw::kResetPulseA | cw::kResetPulseB);
  Deliver(ReplyTo(write));
  EXPECT_EQ(host.image.ControlWord() & (cw::kResetPulseA | cw::kResetPulseB | cw::kResetIdle), cw::kResetIdle);
}

TEST_F(HardwareLinkTest, PendingTraceReadIsDroppedWhenALoggedSeriesRuns) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  SetAutoUpdate(false);
  const Bytes status = NextRequest();
  Link().RequestTraceRead();
  test::ScriptedSeries series;
  series.running = true;
  lifecycle.SetLoggedSeries(&series);
  Deliver(ReplyTo(status));
  EXPECT_FALSE(Link().Pending(CHardwareLink::kSlotTrace));
  EXPECT_FALSE(Link().Busy());  // nothing was sent in its place
}

TEST_F(HardwareLinkTest, SingleTraceDropsTheFirstBlockAndShowsTheSecond) {
  test::ScriptedTraceSink trace;
  lifecycle.SetTraceSink(&trace);
  ASSERT_TRUE(lifecycle.ConnectHardware());
  SetAutoUpdate(false);
  trace.singlePending = 2;  // RUN pressed for one trace
  const auto traceRequest = packet::BuildReadRequest(packet::kTraceAddress, packet::kTraceByteCount);
  std::vector<std::uint16_t> samples(packet::kTraceByteCount / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint16_t>(i * 3);
  Bytes data;
  for (const std::uint16_t word : samples) {
    data.push_back(static_cast<std::uint8_t>(word & 0xFF));
    data.push_back(static_cast<std::uint8_t>(word >> 8));
  }

  for (int block = 0; block < 2; ++block) {
    const Bytes status = NextRequest();
    ASSERT_TRUE(IsStatusRead(status)) << block;
    Deliver(ReplyTo(status, cw::kTraceReady));  // a trace is ready: it is read at once
    EXPECT_EQ(host.image.ControlWord() & cw::kTraceReady, 0) << block;
    const Bytes request = NextRequest();
    ASSERT_EQ(request, Bytes(traceRequest.begin(), traceRequest.end())) << block;
    Deliver(packet::BuildReadReply(packet::kTraceAddress, kStatusWords, data));
  }
  ASSERT_EQ(trace.shown.size(), 1u);  // the first block after the request was dropped
  EXPECT_EQ(trace.shown[0], samples);
  EXPECT_EQ(trace.releases, 1);
  EXPECT_EQ(trace.singlePending, 0);
  EXPECT_TRUE(IsStatusRead(NextRequest()));  // the status read that follows the shown trace

  lifecycle.DisconnectHardware();
  EXPECT_FALSE(trace.running);
  EXPECT_GT(trace.controlRefreshes, 0);
}

TEST_F(HardwareLinkTest, BytesWhileIdleAreNotTakenForAReply) {
  ASSERT_TRUE(lifecycle.ConnectHardware());
  SetAutoUpdate(false);
  AnswerNext();
  ASSERT_FALSE(Link().Busy());
  for (int piece = 0; piece < 70; ++piece) {  // more than the receive buffer holds, in pieces the tty takes
    pty.Send(Bytes(1000, 0x55));
    pollfd pfd{Link().Port().Handle(), POLLIN, 0};
    ::poll(&pfd, 1, 1000);
    lifecycle.OnSerialEvent(serial_event::kRxChar);
  }
  EXPECT_FALSE(Link().Busy());
  EXPECT_EQ(Link().Statistics().repeats, 0u);
  EXPECT_TRUE(Link().Responding());
}

}  // namespace
}  // namespace mirvo
