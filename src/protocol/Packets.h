// Byte layout of the four packets of the instrument link (write/read request and reply), the
// checksum that closes each of them, the address field, and the rules by which a reply is accepted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace mirvo::packet {

constexpr std::uint16_t kWriteOpcode = 110;
constexpr std::uint16_t kReadOpcode = 100;
constexpr std::size_t kWriteHeaderLength = 8;   // opcode, length, address
constexpr std::size_t kWriteReplyLength = 9;
constexpr std::size_t kReadRequestLength = 11;
constexpr std::size_t kReadReplyOverhead = 25;  // header 8 + status block 16 + checksum 1
constexpr std::size_t kStatusBlockOffset = 8;
constexpr std::size_t kReadDataOffset = 24;

// Address field: the low 16 bits carry a word address, bit 22 selects register/spectrum space,
// bit 23 marks a write.
constexpr std::uint32_t kRegisterBase = 0x8000;
constexpr std::uint32_t kReadSpace = 0x400000;
constexpr std::uint32_t kWriteSpace = 0xC00000;
constexpr std::uint32_t kTraceAddress = 0x008000;
constexpr std::uint16_t kTraceByteCount = 1024;

constexpr std::uint32_t RegisterReadAddress(unsigned reg) { return kReadSpace + kRegisterBase + (reg & 0xFF); }
constexpr std::uint32_t RegisterWriteAddress(unsigned reg) { return kWriteSpace + kRegisterBase + (reg & 0xFF); }
// 32-bit count with index s (0 .. 4N-1) of the spectrum memory: two words, low word first.
constexpr std::uint32_t SpectrumReadAddress(unsigned countIndex) { return kReadSpace + 2 * countIndex; }

// (3 - sum of the bytes) mod 256: the byte that makes a whole packet sum to 3 mod 256.
std::uint8_t Checksum(std::span<const std::uint8_t> bytes);
bool ChecksumValid(std::span<const std::uint8_t> packet);

std::uint16_t GetWord(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint32_t GetLong(std::span<const std::uint8_t> bytes, std::size_t offset);

// Write request of n = 2 x words.size() data bytes; total length n + 9.
std::vector<std::uint8_t> BuildWriteRequest(std::uint32_t address, std::span<const std::uint16_t> words);
// Read request for n data bytes; the reply to expect is n + 25 bytes long.
std::array<std::uint8_t, kReadRequestLength> BuildReadRequest(std::uint32_t address, std::uint16_t byteCount);
// The 9-byte write reply and the read reply (n + 25 bytes) as the instrument forms them.
std::array<std::uint8_t, kWriteReplyLength> BuildWriteReply(std::uint32_t address);
std::vector<std::uint8_t> BuildReadReply(std::uint32_t address, std::span<const std::uint16_t> statusWords,
                                         std::span<const std::uint8_t> data);

// Length of the reply that a well-formed request expects (0 for an unknown opcode or a short request).
std::size_t ExpectedReplyLength(std::span<const std::uint8_t> request);

enum class ReplyCheck {
  Accepted,
  WrongByteCount,    // bytes received differ from the expected reply length
  WrongOpcode,       // opcode word differs from the request's
  WrongLengthWord,   // total-length word differs from the expected reply length
  WrongAddressLow,   // low address word differs from the request's
  WrongAddressHigh,  // high address word differs from the request's
  BadChecksum,       // last byte is not (3 - sum of the preceding bytes) mod 256
};
std::string_view Describe(ReplyCheck check);

// Checks the reply held in the receive buffer (its first `received` bytes) against the request that
// was sent. Accepted or not, the first eight bytes of the buffer are cleared afterwards so that a
// stale header can never pass the next check.
ReplyCheck CheckWriteReply(std::span<const std::uint8_t> request, std::span<std::uint8_t> receiveBuffer,
                           std::size_t received);
ReplyCheck CheckReadReply(std::span<const std::uint8_t> request, std::span<std::uint8_t> receiveBuffer,
                          std::size_t received);

// The eight status words carried by every read reply.
struct StatusBlock {
  std::array<std::uint16_t, 8> words{};
  std::uint16_t firmware = 0;      // version x 100
  std::uint16_t serialnumber = 0;  // shown with five digits
  unsigned bias = 0;
  double slowadc = 0.0;            // volts (word 4 / 1000)
  std::int16_t intemp = 0;         // degrees Celsius
};
// Reads the status block of a read reply (at offset 8); the reply must hold at least 24 bytes.
StatusBlock ParseStatusBlock(std::span<const std::uint8_t> reply);

}  // namespace mirvo::packet
