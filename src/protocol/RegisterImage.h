// The host's image of the instrument's 256 registers: a read-back half (registers 0x00-0xFF as
// last written or read) and a command half used while a logged series runs; the control-word
// operations; the transfer blocks; and the host copy of the four spectra.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace mirvo {

// Register numbers within the register area (register 0x10 is instrument word 0x8010).
namespace reg {
constexpr unsigned kControlWord = 0x10;
constexpr unsigned kStartDate = 0x16;
constexpr unsigned kStartTime = 0x17;
constexpr unsigned kPresetReal = 0x2A;
constexpr unsigned kPresetLive = 0x2B;
constexpr unsigned kRealTicksLow = 0x38;
constexpr unsigned kRealTicksHigh = 0x39;
constexpr unsigned kLiveTicksLow = 0x3A;
constexpr unsigned kLiveTicksHigh = 0x3B;
constexpr unsigned kRealFraction = 0x3C;
constexpr unsigned kLiveFraction = 0x3D;
constexpr unsigned kTimeConstantExponent = 0x3E;
constexpr unsigned kFpgaVersion = 0x3F;
}  // namespace reg

// ControlWord bit masks.
namespace cw {
constexpr std::uint16_t kRun = 0x0001;
constexpr std::uint16_t kRunCompanion = 0x0002;
constexpr std::uint16_t kResetPulseA = 0x0004;
constexpr std::uint16_t kLivePreset = 0x0008;
constexpr std::uint16_t kResetIdle = 0x0010;
constexpr std::uint16_t kResetPulseB = 0x0020;
constexpr std::uint16_t kOption8 = 0x0100;
constexpr std::uint16_t kPulserOff = 0x0200;
constexpr std::uint16_t kStartUtc = 0x0400;
constexpr std::uint16_t kStartSystem = 0x0800;
constexpr std::uint16_t kCoincidenceOff = 0x4000;
constexpr std::uint16_t kTraceReady = 0x8000;
}  // namespace cw

// A block of consecutive registers that travels in one packet.
struct TransferBlock {
  unsigned firstRegister;  // instrument register of the first word
  unsigned firstIndex;     // image index of the first word
  unsigned wordCount;
  constexpr std::size_t ByteCount() const { return wordCount * 2u; }
};
constexpr TransferBlock kAllRegistersBlock{0x00, 0x000, 0x80};       // write, 256 bytes
constexpr TransferBlock kSettingsRegistersBlock{0x0C, 0x00C, 0x74};  // write, 232 bytes
constexpr TransferBlock kControlRegistersBlock{0x10, 0x110, 0x0A};   // write from the command half, 20 bytes
constexpr TransferBlock kStatusRegistersBlock{0x01, 0x001, 0x7F};    // read, 254 bytes

class RegisterImage {
 public:
  static constexpr std::size_t kWords = 512;
  static constexpr std::size_t kCommandHalf = 0x100;

  std::uint16_t& operator[](std::size_t index) { return words_[index]; }
  std::uint16_t operator[](std::size_t index) const { return words_[index]; }
  std::uint16_t Get(std::size_t index) const { return index < kWords ? words_[index] : 0; }
  void Set(std::size_t index, std::uint16_t value) {
    if (index < kWords) words_[index] = value;
  }
  std::array<std::uint16_t, kWords>& Words() { return words_; }
  const std::array<std::uint16_t, kWords>& Words() const { return words_; }

  // The words a transfer block carries, in order.
  std::span<const std::uint16_t> Block(const TransferBlock& block) const {
    return std::span<const std::uint16_t>(words_).subspan(block.firstIndex, block.wordCount);
  }
  // Replaces the words of a block (a status read's 127 words land at indexes 1..127).
  void StoreBlock(const TransferBlock& block, std::span<const std::uint16_t> values);

  // Control-word operations on the read-back half (or, with commandHalf, on index 0x110).
  std::uint16_t ControlWord(bool commandHalf = false) const;
  void SetRun(bool commandHalf = false);         // bits 0 and 1
  void ClearRun(bool commandHalf = false);       // bits 0 and 1
  void RaiseResetPulses(bool commandHalf = false);  // set bits 2 and 5, clear bit 4
  void AcknowledgePulses();                       // clear bits 2 and 5, set bit 4 (read-back half)
  void ClearTraceReady();                         // bit 15
  bool Running() const { return (ControlWord() & cw::kRun) != 0; }

  // Copies indexes 0x001-0x0FF into 0x101-0x1FF (start of a logged series).
  void CopyToCommandHalf();

  bool operator==(const RegisterImage&) const = default;

 private:
  std::uint16_t& Control(bool commandHalf) { return words_[reg::kControlWord + (commandHalf ? kCommandHalf : 0)]; }
  std::array<std::uint16_t, kWords> words_{};
};

// Real and live time in seconds from the counters: P x 16 x 1e-6 x fraction + ticks x 0.01, where P is
// the sample period in microseconds.
// The sample-clock period in microseconds until the instrument tells another.
constexpr double kDefaultSamplePeriodUs = 0.008;
double RealTimeSeconds(const RegisterImage& image, double samplePeriodUs);
double LiveTimeSeconds(const RegisterImage& image, double samplePeriodUs);

// Host copy of the instrument's spectrum memory: 4 x 4096 unsigned 32-bit counts, spectrum k at
// entries k x 4096 .. k x 4096 + 4095.
class SpectrumMemory {
 public:
  static constexpr std::size_t kSpectra = 4;
  static constexpr std::size_t kChannels = 4096;
  static constexpr std::size_t kCounts = kSpectra * kChannels;

  std::uint32_t* Spectrum(std::size_t k) { return counts_.data() + k * kChannels; }
  const std::uint32_t* Spectrum(std::size_t k) const { return counts_.data() + k * kChannels; }
  std::array<std::uint32_t, kCounts>& Counts() { return counts_; }
  const std::array<std::uint32_t, kCounts>& Counts() const { return counts_; }
  void Clear() { counts_.fill(0); }
  // Stores counts that arrived as little-endian 32-bit values (low word first) from index `first`.
  // Counts beyond the memory are dropped. Returns the number stored.
  std::size_t StoreChunk(std::size_t first, std::span<const std::uint8_t> littleEndianCounts);

 private:
  std::array<std::uint32_t, kCounts> counts_{};
};

}  // namespace mirvo
