// Arbitrary bytes as replies to the requests the program sends; the checks must never read outside
// the buffer, never accept a packet with a wrong checksum, and always clear the header.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "protocol/Packets.h"

using namespace mirvo::packet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> buffer(data, data + size);
  const std::size_t received = buffer.size();
  const auto asVector = [](const auto& packet) { return std::vector<std::uint8_t>(packet.begin(), packet.end()); };
  const std::vector<std::uint8_t> requests[] = {
      asVector(BuildReadRequest(RegisterReadAddress(1), 254)),
      asVector(BuildReadRequest(kTraceAddress, kTraceByteCount)),
      asVector(BuildReadRequest(SpectrumReadAddress(0), 0)),
  };
  for (const auto& request : requests) {
    std::vector<std::uint8_t> copy = buffer;
    const bool accepted = CheckReadReply(request, copy, received) == ReplyCheck::Accepted;
    if (accepted && (!ChecksumValid(buffer) || buffer.size() != ExpectedReplyLength(request))) std::abort();
    for (std::size_t i = 0; i < copy.size() && i < 8; ++i)
      if (copy[i] != 0) std::abort();
    if (accepted) (void)ParseStatusBlock(copy);
  }
  const std::vector<std::uint16_t> words(10);
  const auto write = BuildWriteRequest(RegisterWriteAddress(0x10), words);
  std::vector<std::uint8_t> copy = buffer;
  if (CheckWriteReply(write, copy, received) == ReplyCheck::Accepted && !ChecksumValid(buffer)) std::abort();
  // A receive count that claims more than the buffer holds.
  copy = buffer;
  (void)CheckReadReply(requests[0], copy, received + 279);
  return 0;
}
