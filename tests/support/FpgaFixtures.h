// Small design files made by the tests (.mbf with header and checksum, raw data) and a listener
// that records what the FPGA programmer tells its dialog.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "fpga/DesignFile.h"
#include "fpga/FpgaProgrammer.h"
#include "fpga/FpgaProtocol.h"

namespace mirvo::test {

// Data bytes 0, 1, 2 ... (mod 251, so that blocks differ).
inline std::vector<std::uint8_t> PatternData(std::size_t length, std::uint8_t seed = 0) {
  std::vector<std::uint8_t> data(length);
  for (std::size_t i = 0; i < length; ++i) data[i] = static_cast<std::uint8_t>((i + seed) % 251);
  return data;
}

// A design file with header: command word, signature "SP", flash address, 4 free bytes, checksum.
inline std::vector<std::uint8_t> MakeMbf(const std::vector<std::uint8_t>& data, std::uint32_t address = 0,
                                         std::uint16_t commandWord = fpga::kFlashWriteOpcode,
                                         std::uint16_t signature = fpga::kDesignSignature) {
  std::vector<std::uint8_t> file(16, 0);
  const auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) file[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> (8 * k));
  };
  put(0, commandWord, 2);
  put(2, signature, 2);
  put(4, address, 4);
  put(8, 0x01020304, 4);
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < 12; ++i) sum += file[i];
  for (std::uint8_t byte : data) sum += fpga::ReverseBits(byte);
  put(12, sum, 4);
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class RecordingFpgaListener : public fpga::IFpgaListener {
 public:
  void OnMessage(const std::string& line) override { lines.push_back(line); }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void OnProgressRange(std::uint64_t length, std::uint64_t step) override {
    rangeLength = length;
    rangeStep = step;
  }
  void OnProgress(std::uint64_t position) override { progress.push_back(position); }
  void OnBusyChanged(bool busy) override { busyChanges.push_back(busy); }
  void KeepPortInUse() override { ++portInUse; }

  bool Listed(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
  std::size_t Count(const std::string& line) const {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
  }

  std::vector<std::string> lines;
  std::vector<std::string> errors;
  std::vector<std::uint64_t> progress;
  std::vector<bool> busyChanges;
  std::uint64_t rangeLength = 0, rangeStep = 0;
  int portInUse = 0;
};

inline const std::string kIncompleteWarning = "WARNING: the FPGA flash now holds an incomplete design.";
inline const std::string kTimeOutLine = "Error: Communication Time Out";

}  // namespace mirvo::test
