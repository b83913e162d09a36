#include "fpga/SerialFlashPort.h"

#include <algorithm>
#include <array>

namespace mirvo::fpga {

bool SerialFlashPort::Write(std::span<const std::uint8_t> bytes, std::uint32_t limitMs) {
  if (!port_.IsOpen()) return false;
  std::size_t written = 0;
  return port_.Write(bytes.data(), bytes.size(), &written, nullptr, limitMs) == serial_error::kSuccess &&
         written == bytes.size();
}

std::size_t SerialFlashPort::Read(std::span<std::uint8_t> out) {
  if (!port_.IsOpen() || out.empty()) return 0;
  std::size_t got = 0;
  if (port_.Read(out.data(), out.size(), &got) != serial_error::kSuccess) return 0;
  return got;
}

void SerialFlashPort::Discard() {
  if (!port_.IsOpen()) return;
  port_.Purge();
  // Bounded, so that a port that never stops sending cannot hold the caller.
  std::array<std::uint8_t, 256> scratch{};
  for (std::size_t total = 0; total < 65536;) {
    const std::size_t got = Read(scratch);
    if (got == 0) break;
    total += got;
  }
}

void SerialFlashPort::ExpectReply(std::size_t bytes) {
  // At most half the tty's line buffer: a fuller buffer would throttle the sender.
  constexpr std::size_t kMaxNotifyBytes = 2048;
  port_.SetNotifyThreshold(std::clamp<std::size_t>(bytes, 1, kMaxNotifyBytes));
}

}  // namespace mirvo::fpga
