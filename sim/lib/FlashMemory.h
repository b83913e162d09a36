// The instrument's 4 MiB design flash: 512-byte blocks written and read back by flash address.
// Blocks that would reach past the end are refused whole (nothing is stored, nothing is returned).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "fpga/FpgaProtocol.h"

namespace kvetral {

class FlashMemory {
 public:
  FlashMemory() : bytes_(mirvo::fpga::kFlashSize, 0xFF) {}

  static bool BlockFits(std::uint32_t address) {
    return address <= mirvo::fpga::kFlashSize - mirvo::fpga::kFlashBlockSize;
  }
  bool Write(std::uint32_t address, std::span<const std::uint8_t> block) {
    if (!BlockFits(address) || block.size() != mirvo::fpga::kFlashBlockSize) return false;
    std::copy(block.begin(), block.end(), bytes_.begin() + address);
    return true;
  }
  // The block at `address`, or an empty span when it does not fit.
  std::span<const std::uint8_t> Block(std::uint32_t address) const {
    if (!BlockFits(address)) return {};
    return std::span<const std::uint8_t>(bytes_).subspan(address, mirvo::fpga::kFlashBlockSize);
  }
  std::vector<std::uint8_t> Read(std::uint32_t address, std::size_t length) const {
    if (address >= bytes_.size()) return {};
    const std::size_t count = std::min<std::size_t>(length, bytes_.size() - address);
    return std::vector<std::uint8_t>(bytes_.begin() + address, bytes_.begin() + address + count);
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace kvetral
