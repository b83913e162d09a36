// Arbitrary bytes on the simulator's line, cut into arbitrary pieces: the request framer must only
// pass whole requests with a valid checksum, and the instrument must answer each with a well-formed
// reply (or nothing), never crash, and never read outside the request.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fpga/FpgaProtocol.h"
#include "lib/Instrument.h"
#include "lib/RequestFramer.h"
#include "protocol/Packets.h"

namespace pk = mirvo::packet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static kvetral::Instrument instrument([] {
    kvetral::InstrumentConfig config;
    config.rate = 1000;
    return config;
  }());
  static std::int64_t nowMs = 1'765'000'000'000;
  if (size == 0) return 0;
  // The first byte chooses the piece size, so one input also tests requests split across reads.
  const std::size_t piece = 1 + data[0] % 64;
  kvetral::RequestFramer framer;
  std::vector<std::uint8_t> request;
  for (std::size_t at = 1; at < size; at += piece) {
    const std::size_t n = std::min(piece, size - at);
    framer.Feed(std::span<const std::uint8_t>(data + at, n));
    while (framer.Next(&request)) {
      const std::size_t expected =
          kvetral::RequestFramer::FrameLength(pk::GetWord(request, 0), pk::GetWord(request, 2));
      if (expected != request.size() || !pk::ChecksumValid(request)) std::abort();
      nowMs += 7;
      const auto reply = instrument.Handle(request, nowMs);
      if (reply.empty()) continue;
      if (!pk::ChecksumValid(reply)) std::abort();
      const std::uint16_t opcode = pk::GetWord(request, 0);
      if (opcode == pk::kReadOpcode && reply.size() != pk::GetWord(request, 8) + pk::kReadReplyOverhead) std::abort();
      if (opcode == pk::kWriteOpcode && reply.size() != pk::kWriteReplyLength) std::abort();
    }
  }
  framer.AbandonPartial();
  return 0;
}
