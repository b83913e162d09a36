#include "lib/RequestFramer.h"

#include "fpga/FpgaProtocol.h"
#include "protocol/Packets.h"

namespace kvetral {

namespace pk = mirvo::packet;
namespace fp = mirvo::fpga;

std::size_t RequestFramer::FrameLength(std::uint16_t opcode, std::uint16_t lengthWord) {
  switch (opcode) {
    case pk::kWriteOpcode:  // n + 9 with n even, at most all 256 registers
      return lengthWord >= 9 && lengthWord <= 9 + 512 && lengthWord % 2 == 1 ? lengthWord : 0;
    case pk::kReadOpcode:
    case fp::kFlashReadOpcode: return lengthWord == pk::kReadRequestLength ? lengthWord : 0;
    case fp::kFlashWriteOpcode: return lengthWord == fp::kFlashWriteLength ? lengthWord : 0;
    case fp::kConfigureOpcode: return lengthWord == fp::kConfigureLength ? lengthWord : 0;
    default:  // a flash read that carries the design file's own command word
      return lengthWord == fp::kFlashReadLength ? lengthWord : 0;
  }
}

std::size_t RequestFramer::CompleteRequestAfter(std::span<const std::uint8_t> rest) {
  for (std::size_t at = 1; at + 4 <= rest.size(); ++at) {
    const std::uint16_t opcode = pk::GetWord(rest, at);
    const bool known = opcode == pk::kReadOpcode || opcode == pk::kWriteOpcode || opcode == fp::kFlashReadOpcode ||
                       opcode == fp::kFlashWriteOpcode || opcode == fp::kConfigureOpcode;
    if (!known) continue;
    const std::size_t length = FrameLength(opcode, pk::GetWord(rest, at + 2));
    if (length != 0 && at + length <= rest.size() && pk::ChecksumValid(rest.subspan(at, length))) return at;
  }
  return 0;
}

void RequestFramer::Feed(std::span<const std::uint8_t> bytes) {
  if (start_ > 0 && start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  } else if (start_ > 4096) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

bool RequestFramer::Next(std::vector<std::uint8_t>* request) {
  while (buffer_.size() - start_ >= 4) {
    const std::span<const std::uint8_t> rest(buffer_.data() + start_, buffer_.size() - start_);
    const std::size_t length = FrameLength(pk::GetWord(rest, 0), pk::GetWord(rest, 2));
    if (length == 0) {
      ++start_;
      ++discarded_;
      continue;
    }
    if (rest.size() < length) {
      // Still incomplete. If a whole, valid request of a known kind already follows, the header
      // was garbage: skip to that request instead of waiting for bytes that may never come.
      const std::size_t skip = CompleteRequestAfter(rest);
      if (skip == 0) return false;
      start_ += skip;
      discarded_ += skip;
      continue;
    }
    if (!pk::ChecksumValid(rest.first(length))) {
      ++badChecksums_;
      ++start_;  // it may have been garbage that looked like a header: look again one byte on
      ++discarded_;
      continue;
    }
    request->assign(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(length));
    start_ += length;
    return true;
  }
  return false;
}

bool RequestFramer::AbandonPartial() {
  if (!HasPartial()) return false;
  ++start_;
  ++discarded_;
  return true;
}

}  // namespace kvetral
