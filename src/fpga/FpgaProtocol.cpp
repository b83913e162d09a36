#include "fpga/FpgaProtocol.h"

#include <algorithm>

#include "protocol/Packets.h"

namespace mirvo::fpga {
namespace {

constexpr std::uint16_t kConfigureKeyHigh = 0x4B56;
constexpr std::uint16_t kConfigureKeyLow = 0xC0F6;

template <std::size_t N>
void PutWord(std::array<std::uint8_t, N>& out, std::size_t at, std::uint16_t value) {
  out[at] = static_cast<std::uint8_t>(value & 0xFF);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

template <std::size_t N>
void PutLong(std::array<std::uint8_t, N>& out, std::size_t at, std::uint32_t value) {
  PutWord(out, at, static_cast<std::uint16_t>(value & 0xFFFF));
  PutWord(out, at + 2, static_cast<std::uint16_t>(value >> 16));
}

template <std::size_t N>
void Close(std::array<std::uint8_t, N>& out) {
  out[N - 1] = packet::Checksum(std::span<const std::uint8_t>(out.data(), N - 1));
}

// Opcode, length word and a dword: the head every flash packet shares.
template <std::size_t N>
std::array<std::uint8_t, N> Head(std::uint16_t opcode, std::uint16_t length, std::uint32_t dword) {
  std::array<std::uint8_t, N> out{};
  PutWord(out, 0, opcode);
  PutWord(out, 2, length);
  PutLong(out, kFlashAddressOffset, dword);
  return out;
}

}  // namespace

std::uint32_t ConfigureKey() {
  volatile std::uint16_t high = kConfigureKeyHigh;
  volatile std::uint16_t low = kConfigureKeyLow;
  return (static_cast<std::uint32_t>(high) << 16) | low;
}

std::uint8_t ReverseBits(std::uint8_t byte) {
  std::uint8_t out = 0;
  for (int bit = 0; bit < 8; ++bit)
    if (byte & (1u << bit)) out = static_cast<std::uint8_t>(out | (0x80u >> bit));
  return out;
}

std::array<std::uint8_t, kFlashWriteLength> BuildFlashWrite(std::uint32_t flashAddress,
                                                            std::span<const std::uint8_t, kFlashBlockSize> data) {
  auto out = Head<kFlashWriteLength>(kFlashWriteOpcode, kFlashWriteLength, flashAddress);
  std::copy(data.begin(), data.end(), out.begin() + kFlashWriteDataOffset);
  Close(out);
  return out;
}

std::array<std::uint8_t, kFlashReadLength> BuildFlashRead(std::uint16_t opcode, std::uint32_t flashAddress) {
  auto out = Head<kFlashReadLength>(opcode, kFlashReadLength, flashAddress);
  PutWord(out, 8, static_cast<std::uint16_t>(kFlashBlockSize));
  Close(out);
  return out;
}

std::array<std::uint8_t, kConfigureLength> BuildConfigure(std::uint32_t key) {
  auto out = Head<kConfigureLength>(kConfigureOpcode, kConfigureLength, key);
  Close(out);
  return out;
}

std::array<std::uint8_t, kFlashWriteReplyLength> BuildFlashWriteReply(std::uint16_t commandWord,
                                                                      std::uint32_t flashAddress) {
  auto out = Head<kFlashWriteReplyLength>(commandWord, kFlashWriteReplyLength, flashAddress);
  Close(out);
  return out;
}

std::array<std::uint8_t, kFlashReadReplyLength> BuildFlashReadReply(
    std::uint32_t flashAddress, std::span<const std::uint8_t, kFlashBlockSize> data) {
  auto out = Head<kFlashReadReplyLength>(kFlashReadOpcode, kFlashReadReplyLength, flashAddress);
  PutWord(out, 8, static_cast<std::uint16_t>(kFlashBlockSize));
  std::copy(data.begin(), data.end(), out.begin() + kFlashReadReplyDataOffset);
  Close(out);
  return out;
}

std::array<std::uint8_t, kConfigureReplyLength> BuildConfigureReply(std::uint32_t key) {
  auto out = Head<kConfigureReplyLength>(kConfigureOpcode, kConfigureReplyLength, key);
  Close(out);
  return out;
}

}  // namespace mirvo::fpga
