#include "protocol/Packets.h"

#include <algorithm>

namespace mirvo::packet {
namespace {

void PutWord(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutLong(std::vector<std::uint8_t>& out, std::uint32_t value) {
  PutWord(out, static_cast<std::uint16_t>(value & 0xFFFF));
  PutWord(out, static_cast<std::uint16_t>(value >> 16));
}

void AppendChecksum(std::vector<std::uint8_t>& out) { out.push_back(Checksum(out)); }

ReplyCheck CheckReply(std::span<const std::uint8_t> request, std::span<const std::uint8_t> buffer,
                      std::size_t received, std::size_t expected) {
  if (received != expected || buffer.size() < expected || request.size() < kWriteHeaderLength)
    return ReplyCheck::WrongByteCount;
  if (GetWord(buffer, 0) != GetWord(request, 0)) return ReplyCheck::WrongOpcode;
  if (GetWord(buffer, 2) != expected) return ReplyCheck::WrongLengthWord;
  if (GetWord(buffer, 4) != GetWord(request, 4)) return ReplyCheck::WrongAddressLow;
  if (GetWord(buffer, 6) != GetWord(request, 6)) return ReplyCheck::WrongAddressHigh;
  if (buffer[expected - 1] != Checksum(buffer.first(expected - 1))) return ReplyCheck::BadChecksum;
  return ReplyCheck::Accepted;
}

void ClearHeader(std::span<std::uint8_t> buffer) {
  std::fill_n(buffer.begin(), std::min<std::size_t>(buffer.size(), 8), std::uint8_t{0});
}

}  // namespace

std::uint8_t Checksum(std::span<const std::uint8_t> bytes) {
  unsigned sum = 0;
  for (std::uint8_t b : bytes) sum += b;
  return static_cast<std::uint8_t>((3u - (sum & 0xFF)) & 0xFF);
}

bool ChecksumValid(std::span<const std::uint8_t> packet) {
  return !packet.empty() && packet.back() == Checksum(packet.first(packet.size() - 1));
}

std::uint16_t GetWord(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t GetLong(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return GetWord(bytes, offset) | (static_cast<std::uint32_t>(GetWord(bytes, offset + 2)) << 16);
}

std::vector<std::uint8_t> BuildWriteRequest(std::uint32_t address, std::span<const std::uint16_t> words) {
  std::vector<std::uint8_t> out;
  const std::size_t total = words.size() * 2 + 9;
  out.reserve(total);
  PutWord(out, kWriteOpcode);
  PutWord(out, static_cast<std::uint16_t>(total));
  PutLong(out, address);
  for (std::uint16_t w : words) PutWord(out, w);
  AppendChecksum(out);
  return out;
}

std::array<std::uint8_t, kReadRequestLength> BuildReadRequest(std::uint32_t address, std::uint16_t byteCount) {
  std::vector<std::uint8_t> out;
  out.reserve(kReadRequestLength);
  PutWord(out, kReadOpcode);
  PutWord(out, static_cast<std::uint16_t>(kReadRequestLength));
  PutLong(out, address);
  PutWord(out, byteCount);
  AppendChecksum(out);
  std::array<std::uint8_t, kReadRequestLength> packet{};
  std::copy(out.begin(), out.end(), packet.begin());
  return packet;
}

std::array<std::uint8_t, kWriteReplyLength> BuildWriteReply(std::uint32_t address) {
  std::vector<std::uint8_t> out;
  PutWord(out, kWriteOpcode);
  PutWord(out, static_cast<std::uint16_t>(kWriteReplyLength));
  PutLong(out, address);
  AppendChecksum(out);
  std::array<std::uint8_t, kWriteReplyLength> packet{};
  std::copy(out.begin(), out.end(), packet.begin());
  return packet;
}

std::vector<std::uint8_t> BuildReadReply(std::uint32_t address, std::span<const std::uint16_t> statusWords,
                                         std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> out;
  out.reserve(data.size() + kReadReplyOverhead);
  PutWord(out, kReadOpcode);
  PutWord(out, static_cast<std::uint16_t>(data.size() + kReadReplyOverhead));
  PutLong(out, address);
  for (std::size_t i = 0; i < 8; ++i) PutWord(out, i < statusWords.size() ? statusWords[i] : 0);
  out.insert(out.end(), data.begin(), data.end());
  AppendChecksum(out);
  return out;
}

std::size_t ExpectedReplyLength(std::span<const std::uint8_t> request) {
  if (request.size() < kWriteHeaderLength) return 0;
  const std::uint16_t opcode = GetWord(request, 0);
  if (opcode == kWriteOpcode) return kWriteReplyLength;
  if (opcode == kReadOpcode && request.size() >= 10) return GetWord(request, 8) + kReadReplyOverhead;
  return 0;
}

std::string_view Describe(ReplyCheck check) {
  switch (check) {
    case ReplyCheck::Accepted: return "accepted";
    case ReplyCheck::WrongByteCount: return "wrong number of bytes received";
    case ReplyCheck::WrongOpcode: return "opcode differs from the request";
    case ReplyCheck::WrongLengthWord: return "length word differs from the expected reply length";
    case ReplyCheck::WrongAddressLow: return "low address word differs from the request";
    case ReplyCheck::WrongAddressHigh: return "high address word differs from the request";
    case ReplyCheck::BadChecksum: return "bad checksum";
  }
  return "unknown";
}

ReplyCheck CheckWriteReply(std::span<const std::uint8_t> request, std::span<std::uint8_t> receiveBuffer,
                           std::size_t received) {
  const ReplyCheck result = CheckReply(request, receiveBuffer, received, kWriteReplyLength);
  ClearHeader(receiveBuffer);
  return result;
}

ReplyCheck CheckReadReply(std::span<const std::uint8_t> request, std::span<std::uint8_t> receiveBuffer,
                          std::size_t received) {
  const std::size_t expected = request.size() >= 10 ? GetWord(request, 8) + kReadReplyOverhead : 0;
  const ReplyCheck result = expected == 0 ? ReplyCheck::WrongByteCount
                                          : CheckReply(request, receiveBuffer, received, expected);
  ClearHeader(receiveBuffer);
  return result;
}

StatusBlock ParseStatusBlock(std::span<const std::uint8_t> reply) {
  StatusBlock block;
  if (reply.size() < kReadDataOffset) return block;
  for (std::size_t i = 0; i < 8; ++i) block.words[i] = GetWord(reply, kStatusBlockOffset + 2 * i);
  block.firmware = block.words[0];
  block.serialnumber = block.words[1];
  block.bias = block.words[2];
  block.slowadc = block.words[4] / 1000.0;
  block.intemp = static_cast<std::int16_t>(block.words[6]);
  return block;
}

}  // namespace mirvo::packet
