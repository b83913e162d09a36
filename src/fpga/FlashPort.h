// What the FPGA programmer needs of the instrument port it borrows: writes with a completion limit,
// non-blocking reads, discarding what is waiting, and a hint of how many reply bytes to wait for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace mirvo::fpga {

class IFlashPort {
 public:
  virtual ~IFlashPort() = default;
  // True when every byte went out within the limit.
  virtual bool Write(std::span<const std::uint8_t> bytes, std::uint32_t limitMs) = 0;
  // Takes what is waiting, at most out.size() bytes, without blocking.
  virtual std::size_t Read(std::span<std::uint8_t> out) = 0;
  // Purges both directions and reads away whatever the input still holds.
  virtual void Discard() = 0;
  // A reply of this many bytes is awaited (the port reports arrival once they are there).
  virtual void ExpectReply(std::size_t bytes) = 0;
};

}  // namespace mirvo::fpga
