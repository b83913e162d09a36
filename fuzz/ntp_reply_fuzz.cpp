// Arbitrary bytes as an NTP server's reply: the checks must never read past the datagram, never
// accept a reply that is not an answer to our request, and leave the result alone on a rejection.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "timesvc/NtpPacket.h"

using namespace mirvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> reply(data, size);
  // Half the runs claim the reply's own originate field as what we sent, so acceptance is reachable.
  NtpTimestamp sent{0x12345678u, 0xEC000000u};
  if (size >= 32 && (size & 1) == 0) sent = ReadNtpTimestamp(reply.subspan(24).first<8>());
  const NtpTimestamp destination = NtpAddOffset(sent, 0.125);

  NtpResult result;
  result.stratum = -1;
  const NtpReplyCheck check = ParseNtpReply(reply, sent, destination, result);
  (void)NtpReplyCheckText(check, reply);
  if (check != NtpReplyCheck::Accepted) {
    if (result.stratum != -1) std::abort();
    return 0;
  }
  const int mode = data[0] & 7;
  const int version = (data[0] >> 3) & 7;
  if (size < kNtpPacketBytes || (mode != 4 && mode != 5) || (version != 3 && version != 4)) std::abort();
  if (result.stratum < 1 || result.stratum > 15 || result.transmit.IsZero()) std::abort();
  if (result.originate != sent || result.destination != destination) std::abort();
  if (!std::isfinite(result.delay) || !std::isfinite(result.offset)) std::abort();
  // The dialog formats all four timestamps as calendar times.
  for (const NtpTimestamp t : {result.originate, result.receive, result.transmit, result.destination}) {
    const CivilTime c = CivilFromNtp(t);
    if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31) std::abort();
    if (c.millisecond < 0 || c.millisecond > 999) std::abort();
  }
  (void)NtpAddOffset(destination, result.offset);
  return 0;
}
