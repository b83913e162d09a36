#include "records/CalibrationRecord.h"

#include <bit>
#include <cstring>

namespace mirvo {

namespace {

void PutU64(std::uint8_t* out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
void PutI32(std::uint8_t* out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}
std::uint64_t GetU64(const std::uint8_t* in) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | in[i];
  return value;
}
std::int32_t GetI32(const std::uint8_t* in) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | in[i];
  return static_cast<std::int32_t>(value);
}
void PutDouble(std::uint8_t* out, double value) { PutU64(out, std::bit_cast<std::uint64_t>(value)); }
double GetDouble(const std::uint8_t* in) { return std::bit_cast<double>(GetU64(in)); }

// Byte offsets of the image.
constexpr std::size_t kOffA = 0, kOffB = 8, kOffC = 16, kOffChannels = 24, kOffEnergies = 152, kOffTicked = 280;
constexpr std::size_t kOffUseAll = 344, kOffCount = 348, kOffUnit = 352, kOffEnabled = 356;
constexpr std::size_t kOffFom2First = 360, kOffFom1First = 364, kOffFom1Last = 368, kOffFom2Last = 372;

}  // namespace

const char* CalibrationRecord::UnitName() const {
  return unitIndex >= 0 && unitIndex < kUnitCount ? kUnitNames[static_cast<std::size_t>(unitIndex)] : kUnitNames[0];
}

int CalibrationRecord::UsedPointCount() const {
  const int count = pointCount < 0 ? 0 : (pointCount > kPointSlots ? kPointSlots : pointCount);
  if (useAll != 0) return count;
  int used = 0;
  for (int i = 0; i < count; ++i) used += ticked[static_cast<std::size_t>(i)] != 0 ? 1 : 0;
  return used;
}

std::array<std::uint8_t, CalibrationRecord::kImageSize> CalibrationRecord::ToBytes() const {
  std::array<std::uint8_t, kImageSize> image{};
  std::uint8_t* p = image.data();
  PutDouble(p + kOffA, a);
  PutDouble(p + kOffB, b);
  PutDouble(p + kOffC, c);
  for (std::size_t i = 0; i < kPointSlots; ++i) {
    PutDouble(p + kOffChannels + 8 * i, channel[i]);
    PutDouble(p + kOffEnergies + 8 * i, energy[i]);
    PutI32(p + kOffTicked + 4 * i, ticked[i]);
  }
  PutI32(p + kOffUseAll, useAll);
  PutI32(p + kOffCount, pointCount);
  PutI32(p + kOffUnit, unitIndex);
  PutI32(p + kOffEnabled, enabled);
  PutI32(p + kOffFom2First, fomPeak2First);
  PutI32(p + kOffFom1First, fomPeak1First);
  PutI32(p + kOffFom1Last, fomPeak1Last);
  PutI32(p + kOffFom2Last, fomPeak2Last);
  return image;
}

int CalibrationRecord::FromBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kImageSize) return -1;
  const std::uint8_t* p = bytes.data();
  a = GetDouble(p + kOffA);
  b = GetDouble(p + kOffB);
  c = GetDouble(p + kOffC);
  for (std::size_t i = 0; i < kPointSlots; ++i) {
    channel[i] = GetDouble(p + kOffChannels + 8 * i);
    energy[i] = GetDouble(p + kOffEnergies + 8 * i);
    ticked[i] = GetI32(p + kOffTicked + 4 * i);
  }
  useAll = GetI32(p + kOffUseAll);
  pointCount = GetI32(p + kOffCount);
  unitIndex = GetI32(p + kOffUnit);
  enabled = GetI32(p + kOffEnabled);
  fomPeak2First = GetI32(p + kOffFom2First);
  fomPeak1First = GetI32(p + kOffFom1First);
  fomPeak1Last = GetI32(p + kOffFom1Last);
  fomPeak2Last = GetI32(p + kOffFom2Last);
  return 0;
}

}  // namespace mirvo
