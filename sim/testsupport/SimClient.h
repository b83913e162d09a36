// The host side of a simulator's line for tests: opens the pseudo-terminal slave raw, sends
// requests, and collects replies with a guard deadline against a hung test (never a time-out relied on).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "protocol/Packets.h"

namespace kvetral::test {

class SimClient {
 public:
  explicit SimClient(const std::string& device) {
    fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd_, TCSANOW, &tio);
  }
  ~SimClient() {
    if (fd_ >= 0) ::close(fd_);
  }
  SimClient(const SimClient&) = delete;
  SimClient& operator=(const SimClient&) = delete;

  bool Ok() const { return fd_ >= 0; }
  int Fd() const { return fd_; }

  void Send(std::span<const std::uint8_t> bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else {
        pollfd pfd{fd_, POLLOUT, 0};
        if (::poll(&pfd, 1, 1000) <= 0) return;
      }
    }
  }

  // Reads until `count` bytes are here, the line hangs up, or the guard deadline passes.
  std::vector<std::uint8_t> Receive(std::size_t count, int guardMs = 10000) {
    std::vector<std::uint8_t> out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(guardMs);
    while (out.size() < count && std::chrono::steady_clock::now() < end) {
      std::uint8_t buffer[65536];
      const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - out.size()));
      if (n > 0) {
        out.insert(out.end(), buffer, buffer + n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        hungUp_ = true;
        break;
      }
      // Raw reads return 0 both for "nothing yet" and after a hang-up; poll tells them apart.
      pollfd pfd{fd_, POLLIN, 0};
      ::poll(&pfd, 1, 50);
      if (pfd.revents & (POLLHUP | POLLERR)) {
        hungUp_ = true;
        const ssize_t last = ::read(fd_, buffer, std::min(sizeof buffer, count - out.size()));
        if (last > 0) out.insert(out.end(), buffer, buffer + last);
        break;
      }
    }
    return out;
  }
  bool HungUp() const { return hungUp_; }

  // One exchange: the request, then exactly the reply it expects.
  std::vector<std::uint8_t> Exchange(std::span<const std::uint8_t> request, std::size_t replyLength) {
    Send(request);
    return Receive(replyLength);
  }
  std::vector<std::uint8_t> Read(std::uint32_t address, std::uint16_t byteCount) {
    const auto request = mirvo::packet::BuildReadRequest(address, byteCount);
    return Exchange(request, byteCount + mirvo::packet::kReadReplyOverhead);
  }
  std::vector<std::uint8_t> Write(std::uint32_t address, std::span<const std::uint16_t> words) {
    return Exchange(mirvo::packet::BuildWriteRequest(address, words), mirvo::packet::kWriteReplyLength);
  }
  std::vector<std::uint8_t> WriteRegister(unsigned reg, std::uint16_t value) {
    const std::uint16_t words[1] = {value};
    return Write(mirvo::packet::RegisterWriteAddress(reg), words);
  }
  // Registers first .. first + count - 1 as the instrument reports them.
  std::vector<std::uint16_t> ReadRegisters(unsigned first, unsigned count) {
    const auto reply = Read(mirvo::packet::RegisterReadAddress(first), static_cast<std::uint16_t>(2 * count));
    std::vector<std::uint16_t> words;
    for (unsigned i = 0; i < count && mirvo::packet::kReadDataOffset + 2 * i + 1 < reply.size(); ++i)
      words.push_back(mirvo::packet::GetWord(reply, mirvo::packet::kReadDataOffset + 2 * i));
    return words;
  }

 private:
  int fd_ = -1;
  bool hungUp_ = false;
};

}  // namespace kvetral::test
