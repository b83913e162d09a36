// A real pseudo-terminal pair for tests: the slave path is what the program opens as its port,
// the master end plays the instrument.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace mirvo::test {

class PtyPair {
 public:
  PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) return;
    slavePath_ = name;
    termios tio{};
    ::tcgetattr(master_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(master_, TCSANOW, &tio);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  ~PtyPair() {
    if (master_ >= 0) ::close(master_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  // The instrument goes away: the slave side sees a hang-up.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

  bool Ok() const { return master_ >= 0 && !slavePath_.empty(); }
  const std::string& SlavePath() const { return slavePath_; }
  int Master() const { return master_; }

  void Send(const std::vector<std::uint8_t>& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n > 0) done += static_cast<std::size_t>(n);
      else {
        pollfd pfd{master_, POLLOUT, 0};
        ::poll(&pfd, 1, 100);
      }
    }
  }

  // The bytes that have arrived so far, without waiting for more.
  std::vector<std::uint8_t> ReceiveAvailable() const {
    std::vector<std::uint8_t> out;
    std::uint8_t buffer[4096];
    for (ssize_t n; (n = ::read(master_, buffer, sizeof buffer)) > 0;) out.insert(out.end(), buffer, buffer + n);
    return out;
  }

  // Reads up to `count` bytes, waiting for them at most `deadlineMs` (a guard against a hung test,
  // not a time-out that the test relies on).
  std::vector<std::uint8_t> Receive(std::size_t count, int deadlineMs = 5000) const {
    std::vector<std::uint8_t> out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMs);
    while (out.size() < count && std::chrono::steady_clock::now() < end) {
      std::uint8_t buffer[4096];
      const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - out.size()));
      if (n > 0) {
        out.insert(out.end(), buffer, buffer + n);
        continue;
      }
      pollfd pfd{master_, POLLIN, 0};
      ::poll(&pfd, 1, 20);
    }
    return out;
  }

 private:
  int master_ = -1;
  std::string slavePath_;
};

}  // namespace mirvo::test
