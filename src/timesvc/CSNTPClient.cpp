#include "timesvc/CSNTPClient.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace mirvo {
namespace {

class SocketFd {
 public:
  SocketFd() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
  ~SocketFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  SocketFd(const SocketFd&) = delete;
  SocketFd& operator=(const SocketFd&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// A dotted IPv4 address, else the first IPv4 address of a host-name lookup. 0 or an EAI_ code.
int ResolveIpv4(const std::string& name, in_addr& address) {
  if (::inet_pton(AF_INET, name.c_str(), &address) == 1) return 0;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (rc != 0) return rc;
  if (found == nullptr || found->ai_addr == nullptr) {
    if (found) ::freeaddrinfo(found);
    return EAI_NONAME;
  }
  address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  ::freeaddrinfo(found);
  return 0;
}

// Waits until the socket is readable or the time is up. 0 when readable, else an errno.
int WaitReadable(int fd, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    using std::chrono::milliseconds;
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    const int rc = ::poll(&p, 1, static_cast<int>(std::max<std::int64_t>(0, left.count())));
    if (rc > 0) return 0;  // readable, or an error that the receive reports
    if (rc == 0) return ETIMEDOUT;
    if (errno != EINTR) return errno;
  }
}

}  // namespace

bool CSNTPClient::Fail(int error, std::string text) {
  lastError_ = error;
  lastErrorText_ = std::move(text);
  return false;
}

bool CSNTPClient::QueryTime(const std::string& serverName, NtpResult& result) {
  replyCheck_ = NtpReplyCheck::Accepted;
  rejection_.clear();
  const SocketFd socket;
  if (socket.Get() < 0) return Fail(errno, std::string("cannot create a UDP socket: ") + std::strerror(errno));

  in_addr address{};
  if (serverName.empty()) return Fail(EINVAL, "no server name");
  if (const int rc = ResolveIpv4(serverName, address); rc != 0)
    return Fail(EHOSTUNREACH, "cannot resolve " + serverName + ": " + ::gai_strerror(rc));

  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port_);
  peer.sin_addr = address;
  if (::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0)
    return Fail(errno, std::string("cannot connect: ") + std::strerror(errno));

  const NtpTimestamp sent = NtpFromUtcMilliseconds(clock_.UtcMilliseconds());
  const auto request = BuildNtpRequest(sent);
  const ssize_t written = ::send(socket.Get(), request.data(), request.size(), MSG_NOSIGNAL);
  if (written != static_cast<ssize_t>(request.size()))
    return Fail(written < 0 ? errno : EIO, std::string("cannot send the request: ") + std::strerror(errno));

  if (const int rc = WaitReadable(socket.Get(), timeoutMs_); rc != 0) {
    if (rc == ETIMEDOUT) return Fail(ETIMEDOUT, "no reply within " + std::to_string(timeoutMs_) + " ms");
    return Fail(rc, std::string("waiting for the reply failed: ") + std::strerror(rc));
  }
  const NtpTimestamp destination = NtpFromUtcMilliseconds(clock_.UtcMilliseconds());

  std::array<std::uint8_t, kNtpMaxReplyBytes> reply{};
  const ssize_t received = ::recv(socket.Get(), reply.data(), reply.size(), MSG_DONTWAIT);
  if (received < 0) return Fail(errno, std::string("cannot receive the reply: ") + std::strerror(errno));
  if (received == 0) return Fail(EIO, "empty reply");

  const std::span<const std::uint8_t> bytes(reply.data(), static_cast<std::size_t>(received));
  replyCheck_ = ParseNtpReply(bytes, sent, destination, result);
  if (replyCheck_ != NtpReplyCheck::Accepted) {
    rejection_ = NtpReplyCheckText(replyCheck_, bytes);
    return Fail(EPROTO, rejection_);
  }
  lastError_ = 0;
  lastErrorText_.clear();
  return true;
}

}  // namespace mirvo
