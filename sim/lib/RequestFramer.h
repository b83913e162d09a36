// Assembles the host's requests from the bytes of the line: requests may arrive in pieces, bytes
// that cannot start a request are skipped, and a frame with a bad checksum is dropped unanswered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kvetral {

class RequestFramer {
 public:
  static constexpr std::size_t kLongestRequest = 521;

  // Length of the request that a header (opcode, length word) announces; 0 when no request starts so.
  static std::size_t FrameLength(std::uint16_t opcode, std::uint16_t lengthWord);

  void Feed(std::span<const std::uint8_t> bytes);
  // Takes the next complete request with a valid checksum; false when none is complete yet.
  bool Next(std::vector<std::uint8_t>* request);
  // Gives up the request that is only partly here (the line went quiet): resynchronises after its
  // first byte. Returns true when something was pending.
  bool AbandonPartial();
  bool HasPartial() const { return buffer_.size() > start_; }

  std::uint64_t DiscardedBytes() const { return discarded_; }
  std::uint64_t BadChecksums() const { return badChecksums_; }

 private:
  // Offset of the first complete, valid request of a known kind after the start of `rest` (0: none).
  static std::size_t CompleteRequestAfter(std::span<const std::uint8_t> rest);

  std::vector<std::uint8_t> buffer_;
  std::size_t start_ = 0;
  std::uint64_t discarded_ = 0;
  std::uint64_t badChecksums_ = 0;
};

}  // namespace kvetral
