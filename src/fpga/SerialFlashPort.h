// The instrument's open serial port as the FPGA programmer's port. The port's listener keeps
// posting its events to the owner, which hands "bytes received" to the programmer.
#pragma once

#include "fpga/FlashPort.h"
#include "link/CSerialEx.h"

namespace mirvo::fpga {

class SerialFlashPort final : public IFlashPort {
 public:
  explicit SerialFlashPort(CSerialEx& port) : port_(port) {}
  bool Write(std::span<const std::uint8_t> bytes, std::uint32_t limitMs) override;
  std::size_t Read(std::span<std::uint8_t> out) override;
  void Discard() override;
  void ExpectReply(std::size_t bytes) override;

 private:
  CSerialEx& port_;
};

}  // namespace mirvo::fpga
