// The NTP client request, the checks a server reply must pass before it is used, and the result of
// one exchange (the four timestamps, round-trip delay and clock offset).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "timesvc/NtpTimestamp.h"

namespace mirvo {

constexpr std::size_t kNtpPacketBytes = 48;
constexpr std::size_t kNtpMaxReplyBytes = 68;  // header plus key id and digest
constexpr std::uint8_t kNtpClientRequestByte0 = 0x1B;  // leap 0, version 3, mode 3 (client)

struct NtpResult {
  int leapIndicator = 0;
  int stratum = 0;
  NtpTimestamp originate;    // T1: our transmit time echoed by the server
  NtpTimestamp receive;      // T2: server time at which the request arrived
  NtpTimestamp transmit;     // T3: server time at which the reply left
  NtpTimestamp destination;  // T4: our clock when the reply became readable
  double delay = 0;          // round trip, seconds
  double offset = 0;         // add to our clock to get server time, seconds
};

// 48 bytes, all zero but byte 0 = 0x1B and the transmit timestamp in bytes 40-47.
std::array<std::uint8_t, kNtpPacketBytes> BuildNtpRequest(NtpTimestamp transmit);

// Why a reply was not used; Accepted when it passed every check.
enum class NtpReplyCheck {
  Accepted,
  TooShort,           // fewer than 48 bytes
  WrongMode,          // not 4 (server) or 5 (broadcast)
  WrongVersion,       // not 3 or 4
  WrongStratum,       // not 1..15 (0 is a kiss-of-death or unsynchronised server)
  ZeroTransmit,       // the server sent no transmit time
  OriginateMismatch,  // not an answer to the request we sent
  TransmitBeforeReceive,  // the server sent its reply before it had the request: impossible
};

// The log line that names a failed check, e.g. "Reply rejected: stratum 0 is not 1 to 15".
std::string NtpReplyCheckText(NtpReplyCheck check, std::span<const std::uint8_t> reply);

// Checks `reply` against the request whose transmit timestamp was `sentTransmit`; when it passes,
// fills `result` (destination = `destination`, delay and offset computed). A reply that fails a
// check leaves `result` unchanged.
NtpReplyCheck ParseNtpReply(std::span<const std::uint8_t> reply, NtpTimestamp sentTransmit, NtpTimestamp destination,
                            NtpResult& result);

// delay = (T4 - T1) - (T3 - T2); offset = ((T2 - T1) + (T3 - T4)) / 2.
void ComputeDelayAndOffset(NtpResult& result);

}  // namespace mirvo
