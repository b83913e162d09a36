#include "protocol/RegisterImage.h"

#include <algorithm>

namespace mirvo {

void RegisterImage::StoreBlock(const TransferBlock& block, std::span<const std::uint16_t> values) {
  const std::size_t count = std::min<std::size_t>(block.wordCount, values.size());
  std::copy_n(values.begin(), count, words_.begin() + block.firstIndex);
}

std::uint16_t RegisterImage::ControlWord(bool commandHalf) const {
  return words_[reg::kControlWord + (commandHalf ? kCommandHalf : 0)];
}

void RegisterImage::SetRun(bool commandHalf) { Control(commandHalf) |= cw::kRun | cw::kRunCompanion; }

void RegisterImage::ClearRun(bool commandHalf) {
  Control(commandHalf) &= static_cast<std::uint16_t>(~(cw::kRun | cw::kRunCompanion));
}

void RegisterImage::RaiseResetPulses(bool commandHalf) {
  std::uint16_t& word = Control(commandHalf);
  word |= cw::kResetPulseA | cw::kResetPulseB;
  word &= static_cast<std::uint16_t>(~cw::kResetIdle);
}

void RegisterImage::AcknowledgePulses() {
  std::uint16_t& word = Control(false);
  word &= static_cast<std::uint16_t>(~(cw::kResetPulseA | cw::kResetPulseB));
  word |= cw::kResetIdle;
}

void RegisterImage::ClearTraceReady() { Control(false) &= static_cast<std::uint16_t>(~cw::kTraceReady); }

void RegisterImage::CopyToCommandHalf() {
  std::copy(words_.begin() + 1, words_.begin() + kCommandHalf, words_.begin() + kCommandHalf + 1);
}

namespace {
double TimeSeconds(const RegisterImage& image, unsigned low, unsigned high, unsigned fraction, double samplePeriodUs) {
  const std::uint32_t ticks = image[low] | (static_cast<std::uint32_t>(image[high]) << 16);
  return samplePeriodUs * 16e-6 * image[fraction] + ticks * 0.01;
}
}  // namespace

double RealTimeSeconds(const RegisterImage& image, double samplePeriodUs) {
  return TimeSeconds(image, reg::kRealTicksLow, reg::kRealTicksHigh, reg::kRealFraction, samplePeriodUs);
}

double LiveTimeSeconds(const RegisterImage& image, double samplePeriodUs) {
  return TimeSeconds(image, reg::kLiveTicksLow, reg::kLiveTicksHigh, reg::kLiveFraction, samplePeriodUs);
}

std::size_t SpectrumMemory::StoreChunk(std::size_t first, std::span<const std::uint8_t> bytes) {
  std::size_t stored = 0;
  for (std::size_t i = 0; i + 3 < bytes.size() && first + stored < kCounts; i += 4, ++stored) {
    counts_[first + stored] = static_cast<std::uint32_t>(bytes[i]) | (static_cast<std::uint32_t>(bytes[i + 1]) << 8) |
                              (static_cast<std::uint32_t>(bytes[i + 2]) << 16) |
                              (static_cast<std::uint32_t>(bytes[i + 3]) << 24);
  }
  return stored;
}

}  // namespace mirvo
