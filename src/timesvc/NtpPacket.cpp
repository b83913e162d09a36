#include "timesvc/NtpPacket.h"

namespace mirvo {
namespace {

constexpr std::size_t kOriginateAt = 24;
constexpr std::size_t kReceiveAt = 32;
constexpr std::size_t kTransmitAt = 40;

NtpTimestamp TimestampAt(std::span<const std::uint8_t> packet, std::size_t at) {
  return ReadNtpTimestamp(packet.subspan(at).first<8>());
}

int ModeOf(std::span<const std::uint8_t> reply) { return reply.empty() ? 0 : reply[0] & 0x07; }
int VersionOf(std::span<const std::uint8_t> reply) { return reply.empty() ? 0 : (reply[0] >> 3) & 0x07; }
int StratumOf(std::span<const std::uint8_t> reply) { return reply.size() < 2 ? 0 : reply[1]; }

}  // namespace

std::array<std::uint8_t, kNtpPacketBytes> BuildNtpRequest(NtpTimestamp transmit) {
  std::array<std::uint8_t, kNtpPacketBytes> request{};
  request[0] = kNtpClientRequestByte0;
  WriteNtpTimestamp(transmit, std::span(request).subspan<kTransmitAt, 8>());
  return request;
}

std::string NtpReplyCheckText(NtpReplyCheck check, std::span<const std::uint8_t> reply) {
  switch (check) {
    case NtpReplyCheck::Accepted: return "Reply accepted";
    case NtpReplyCheck::TooShort:
      return "Reply rejected: " + std::to_string(reply.size()) + " bytes, shorter than 48";
    case NtpReplyCheck::WrongMode:
      return "Reply rejected: mode " + std::to_string(ModeOf(reply)) + " is not 4 (server) or 5 (broadcast)";
    case NtpReplyCheck::WrongVersion:
      return "Reply rejected: version " + std::to_string(VersionOf(reply)) + " is not 3 or 4";
    case NtpReplyCheck::WrongStratum:
      return "Reply rejected: stratum " + std::to_string(StratumOf(reply)) + " is not 1 to 15";
    case NtpReplyCheck::ZeroTransmit: return "Reply rejected: the transmit timestamp is zero";
    case NtpReplyCheck::OriginateMismatch:
      return "Reply rejected: the originate timestamp is not the transmit timestamp of the request";
    case NtpReplyCheck::TransmitBeforeReceive:
      return "Reply rejected: the transmit timestamp precedes the receive timestamp";
  }
  return "Reply rejected";
}

NtpReplyCheck ParseNtpReply(std::span<const std::uint8_t> reply, NtpTimestamp sentTransmit, NtpTimestamp destination,
                            NtpResult& result) {
  if (reply.size() < kNtpPacketBytes) return NtpReplyCheck::TooShort;
  const int mode = ModeOf(reply);
  if (mode != 4 && mode != 5) return NtpReplyCheck::WrongMode;
  const int version = VersionOf(reply);
  if (version != 3 && version != 4) return NtpReplyCheck::WrongVersion;
  const int stratum = StratumOf(reply);
  if (stratum < 1 || stratum > 15) return NtpReplyCheck::WrongStratum;
  const NtpTimestamp transmit = TimestampAt(reply, kTransmitAt);
  if (transmit.IsZero()) return NtpReplyCheck::ZeroTransmit;
  const NtpTimestamp originate = TimestampAt(reply, kOriginateAt);
  if (originate != sentTransmit) return NtpReplyCheck::OriginateMismatch;
  if (NtpDifferenceSeconds(transmit, TimestampAt(reply, kReceiveAt)) < 0) return NtpReplyCheck::TransmitBeforeReceive;

  NtpResult filled;
  filled.leapIndicator = reply[0] >> 6;
  filled.stratum = stratum;
  filled.originate = originate;
  filled.receive = TimestampAt(reply, kReceiveAt);
  filled.transmit = transmit;
  filled.destination = destination;
  ComputeDelayAndOffset(filled);
  result = filled;
  return NtpReplyCheck::Accepted;
}

void ComputeDelayAndOffset(NtpResult& r) {
  r.delay = NtpDifferenceSeconds(r.destination, r.originate) - NtpDifferenceSeconds(r.transmit, r.receive);
  r.offset = (NtpDifferenceSeconds(r.receive, r.originate) + NtpDifferenceSeconds(r.transmit, r.destination)) / 2;
}

}  // namespace mirvo
