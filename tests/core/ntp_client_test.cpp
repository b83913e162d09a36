#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <functional>
#include <thread>
#include <vector>

#include "FakeClock.h"
#include "timesvc/CSNTPClient.h"
#include "timesvc/TimeUtcModel.h"

namespace mirvo {
namespace {

using Packet = std::vector<std::uint8_t>;

// A UDP time server on 127.0.0.1 and an ephemeral port. It answers the first request it receives
// with `makeReply(request)`; with no reply function it receives nothing and never answers.
class LocalNtpServer {
 public:
  explicit LocalNtpServer(std::function<Packet(const Packet&)> makeReply = {}) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return;
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    if (makeReply) thread_ = std::thread([this, makeReply] { Serve(makeReply); });
  }
  ~LocalNtpServer() {
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  std::uint16_t Port() const { return port_; }
  // The request as received (valid once the client's query has returned).
  const Packet& Request() const { return request_; }

 private:
  void Serve(const std::function<Packet(const Packet&)>& makeReply) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 10000) != 1) return;  // a deadline for a broken client, not a wait the test relies on
    std::array<std::uint8_t, 512> buffer{};
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = ::recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) return;
    request_.assign(buffer.begin(), buffer.begin() + n);
    const Packet reply = makeReply(request_);
    ::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
  }

  int fd_ = -1;
  std::uint16_t port_ = 0;
  std::thread thread_;
  Packet request_;
};

NtpTimestamp At(const Packet& packet, std::size_t offset) {
  return ReadNtpTimestamp(std::span<const std::uint8_t, 8>(packet.data() + offset, 8));
}
void Put(Packet& packet, std::size_t offset, NtpTimestamp t) {
  WriteNtpTimestamp(t, std::span<std::uint8_t, 8>(packet.data() + offset, 8));
}

// A well-formed server reply (version 4, mode 4, stratum 2) to `request`: receive time 0.25 s and
// transmit time 0.5 s after the request's transmit time.
Packet GoodReply(const Packet& request) {
  Packet reply(48, 0);
  reply[0] = 0x24;
  reply[1] = 2;
  const NtpTimestamp sent = At(request, 40);
  Put(reply, 24, sent);
  Put(reply, 32, NtpAddOffset(sent, 0.25));
  Put(reply, 40, NtpAddOffset(sent, 0.5));
  return reply;
}

constexpr std::int64_t kNowMs = 1767225598250;  // 2025-12-31 23:59:58.250 UTC

class NtpClientTest : public ::testing::Test {
 protected:
  test::FakeClock clock_{kNowMs};
};

TEST_F(NtpClientTest, GoodReplyFillsTheResult) {
  for (const char* name : {"127.0.0.1", "localhost"}) {
    LocalNtpServer server(GoodReply);
    CSNTPClient client(clock_, server.Port());
    NtpResult result;
    ASSERT_TRUE(client.QueryTime(name, result)) << name << ": " << client.LastErrorText();

    // The request: 0x1B, the transmit timestamp of our clock, zeros elsewhere.
    const NtpTimestamp now = NtpFromUtcMilliseconds(kNowMs);
    Packet expected(48, 0);
    expected[0] = 0x1B;
    Put(expected, 40, now);
    EXPECT_EQ(server.Request(), expected);

    EXPECT_EQ(result.leapIndicator, 0);
    EXPECT_EQ(result.stratum, 2);
    EXPECT_EQ(result.originate, now);
    EXPECT_EQ(result.receive, NtpAddOffset(now, 0.25));
    EXPECT_EQ(result.transmit, NtpAddOffset(now, 0.5));
    EXPECT_EQ(result.destination, now);  // the fake clock stood still
    EXPECT_NEAR(result.delay, -0.25, 1e-9);
    EXPECT_NEAR(result.offset, 0.375, 1e-9);
    EXPECT_EQ(client.LastError(), 0);
    EXPECT_EQ(client.LastRejection(), "");
  }
}

TEST_F(NtpClientTest, ServerThatDoesNotAnswerTimesOut) {
  LocalNtpServer silent;
  CSNTPClient client(clock_, silent.Port(), 0);
  NtpResult result;
  result.stratum = 7;
  EXPECT_FALSE(client.QueryTime("127.0.0.1", result));
  EXPECT_EQ(client.LastError(), ETIMEDOUT);
  EXPECT_EQ(client.LastRejection(), "");
  EXPECT_EQ(result.stratum, 7);
}

TEST_F(NtpClientTest, NoServerNameIsAFailure) {
  CSNTPClient client(clock_, 9, 0);
  NtpResult result;
  EXPECT_FALSE(client.QueryTime("", result));
}

TEST_F(NtpClientTest, RepliesThatFailACheckAreNotUsed) {
  struct Case {
    const char* what;
    std::function<void(Packet&)> spoil;
    NtpReplyCheck check;
    const char* text;
  };
  const Case cases[] = {
      {"47 bytes", [](Packet& p) { p.resize(47); }, NtpReplyCheck::TooShort,
       "Reply rejected: 47 bytes, shorter than 48"},
      {"mode 3", [](Packet& p) { p[0] = 0x23; }, NtpReplyCheck::WrongMode,
       "Reply rejected: mode 3 is not 4 (server) or 5 (broadcast)"},
      {"mode 6", [](Packet& p) { p[0] = 0x26; }, NtpReplyCheck::WrongMode,
       "Reply rejected: mode 6 is not 4 (server) or 5 (broadcast)"},
      {"version 2", [](Packet& p) { p[0] = 0x14; }, NtpReplyCheck::WrongVersion,
       "Reply rejected: version 2 is not 3 or 4"},
      {"version 5", [](Packet& p) { p[0] = 0x2C; }, NtpReplyCheck::WrongVersion,
       "Reply rejected: version 5 is not 3 or 4"},
      {"stratum 0", [](Packet& p) { p[1] = 0; }, NtpReplyCheck::WrongStratum,
       "Reply rejected: stratum 0 is not 1 to 15"},
      {"stratum 16", [](Packet& p) { p[1] = 16; }, NtpReplyCheck::WrongStratum,
       "Reply rejected: stratum 16 is not 1 to 15"},
      {"zero transmit", [](Packet& p) { Put(p, 40, {}); }, NtpReplyCheck::ZeroTransmit,
       "Reply rejected: the transmit timestamp is zero"},
      {"other originate", [](Packet& p) { p[31] ^= 1; }, NtpReplyCheck::OriginateMismatch,
       "Reply rejected: the originate timestamp is not the transmit timestamp of the request"},
      {"receive 200 s after transmit",
       [](Packet& p) {
         std::copy(p.begin() + 40, p.begin() + 48, p.begin() + 32);
         const std::uint8_t low = p[35];
         p[35] = static_cast<std::uint8_t>(low + 200);
         if (p[35] < low) ++p[34];
       },
       NtpReplyCheck::TransmitBeforeReceive, "Reply rejected: the transmit timestamp precedes the receive timestamp"},
  };
  for (const Case& c : cases) {
    LocalNtpServer server([&](const Packet& request) {
      Packet reply = GoodReply(request);
      c.spoil(reply);
      return reply;
    });
    CSNTPClient client(clock_, server.Port());
    NtpResult result;
    result.stratum = 99;
    EXPECT_FALSE(client.QueryTime("127.0.0.1", result)) << c.what;
    EXPECT_EQ(client.LastReplyCheck(), c.check) << c.what;
    EXPECT_EQ(client.LastRejection(), c.text) << c.what;
    EXPECT_EQ(client.LastError(), EPROTO) << c.what;
    EXPECT_EQ(result.stratum, 99) << c.what;
  }
}

TEST_F(NtpClientTest, RepliesAtTheEdgesOfTheChecksAreUsed) {
  struct Case {
    std::uint8_t byte0;
    std::uint8_t stratum;
  };
  // LI 3 with v3 mode 4; v4 mode 5; v3 mode 4; stratum 1 and 15; a 68-byte reply with key id and digest.
  for (const Case c : {Case{0xDC, 1}, Case{0x25, 15}, Case{0x1C, 3}}) {
    for (const std::size_t size : {48u, 68u}) {
      LocalNtpServer server([&](const Packet& request) {
        Packet reply = GoodReply(request);
        reply[0] = c.byte0;
        reply[1] = c.stratum;
        reply.resize(size, 0xAA);
        return reply;
      });
      CSNTPClient client(clock_, server.Port());
      NtpResult result;
      EXPECT_TRUE(client.QueryTime("127.0.0.1", result)) << int(c.byte0) << ": " << client.LastErrorText();
      EXPECT_EQ(result.leapIndicator, c.byte0 >> 6);
      EXPECT_EQ(result.stratum, c.stratum);
    }
  }
}

// The dialog's log through the real client: a rejected reply names the check that failed.
TEST_F(NtpClientTest, DialogLogsTheFailedCheck) {
  LocalNtpServer server([](const Packet& request) {
    Packet reply = GoodReply(request);
    reply[1] = 0;
    return reply;
  });
  CSNTPClient client(clock_, server.Port());
  struct NoSetter : IClockSetter {
    int SetUtcMilliseconds(std::int64_t) override { return EPERM; }
  } setter;
  TimeUtcModel dialog(clock_, client, setter);
  dialog.Open();
  dialog.SetServerName("127.0.0.1");
  EXPECT_FALSE(dialog.GetUtc());
  const std::deque<std::string> expected{
      "Failed to retreive time from: 127.0.0.1", "Reply rejected: stratum 0 is not 1 to 15",
      "----------------------------------------------------------------------------"};
  EXPECT_EQ(dialog.Log(), expected);
  EXPECT_FALSE(dialog.ResultButtonsEnabled());
}

}  // namespace
}  // namespace mirvo
