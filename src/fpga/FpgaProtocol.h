// The FPGA flash exchanges with the instrument (flash write, flash read, configure): opcodes, packet
// layouts, the design-file header and the configure key, shared by the program and the simulator.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace mirvo::fpga {

constexpr std::uint16_t kFlashWriteOpcode = 210;  // also the command word of a design file for this instrument
constexpr std::uint16_t kFlashReadOpcode = 215;
constexpr std::uint16_t kConfigureOpcode = 246;

constexpr std::size_t kFlashBlockSize = 512;
constexpr std::uint32_t kFlashSize = 4u * 1024u * 1024u;  // the instrument's design flash

// Flash write: word 210, word 521, dword flash address, 512 data bytes, checksum.
constexpr std::size_t kFlashWriteLength = 521;
constexpr std::size_t kFlashWriteDataOffset = 8;
// Flash write reply: word (command word echoed), word 9, 4 bytes not checked, checksum.
constexpr std::size_t kFlashWriteReplyLength = 9;
// Flash read: word opcode, word 11, dword flash address, word 512, checksum.
constexpr std::size_t kFlashReadLength = 11;
// Flash read reply: word 215, word, dword flash address, word, 512 data bytes, checksum.
constexpr std::size_t kFlashReadReplyLength = 523;
constexpr std::size_t kFlashReadReplyDataOffset = 10;
// Configure: word 246, word 9, dword configure key, checksum; its reply has the same size.
constexpr std::size_t kConfigureLength = 9;
constexpr std::size_t kConfigureReplyLength = 9;
constexpr std::size_t kFlashAddressOffset = 4;  // the dword after opcode and length in every packet

// Design file with header (.mbf): command word, signature, flash start address, 4 bytes, checksum.
constexpr std::uint16_t kDesignSignature = 0x5053;  // bytes 0x53, 0x50: "S", "P"
constexpr std::size_t kDesignHeaderSize = 16;

// The key the instrument's firmware expects in the configure packet, assembled at run time from its
// two 16-bit halves so that the whole constant never stands in the binary as one word.
std::uint32_t ConfigureKey();

// Bit order reversed within a byte (bit 0 to bit 7 ...): 0x01 -> 0x80, 0x0F -> 0xF0.
std::uint8_t ReverseBits(std::uint8_t byte);

std::array<std::uint8_t, kFlashWriteLength> BuildFlashWrite(std::uint32_t flashAddress,
                                                            std::span<const std::uint8_t, kFlashBlockSize> data);
std::array<std::uint8_t, kFlashReadLength> BuildFlashRead(std::uint16_t opcode, std::uint32_t flashAddress);
std::array<std::uint8_t, kConfigureLength> BuildConfigure(std::uint32_t key);

// The instrument's answers.
std::array<std::uint8_t, kFlashWriteReplyLength> BuildFlashWriteReply(std::uint16_t commandWord,
                                                                      std::uint32_t flashAddress);
std::array<std::uint8_t, kFlashReadReplyLength> BuildFlashReadReply(std::uint32_t flashAddress,
                                                                    std::span<const std::uint8_t, kFlashBlockSize> data);
std::array<std::uint8_t, kConfigureReplyLength> BuildConfigureReply(std::uint32_t key);

}  // namespace mirvo::fpga
