// The energy calibration and figure-of-merit ranges of one spectrum record, with its fixed
// 376-byte little-endian image that the settings store, the spectrum file and the copies carry.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace mirvo {

constexpr int kUnitCount = 6;
// Unit names as the unit labels show them; index 0 means plain channels.
constexpr std::array<const char*, kUnitCount> kUnitNames = {"chn", " eV", "keV", "MeV", "Volt", "Arb"};

struct CalibrationRecord {
  static constexpr std::size_t kImageSize = 376;
  static constexpr int kPointSlots = 16;
  static constexpr int kMaxPoints = 10;

  double a = 0.0;  // E = a x ch^2 + b x ch + c
  double b = 1.0;
  double c = 0.0;
  std::array<double, kPointSlots> channel{};
  std::array<double, kPointSlots> energy{};
  std::array<std::int32_t, kPointSlots> ticked{};
  std::int32_t useAll = 0;      // 1: the last fit used all points, 0: the ticked ones
  std::int32_t pointCount = 0;  // 0 .. 10
  std::int32_t unitIndex = 0;   // into kUnitNames
  std::int32_t enabled = 0;     // 1: show energies
  std::int32_t fomPeak2First = 0;
  std::int32_t fomPeak1First = 0;
  std::int32_t fomPeak1Last = 0;
  std::int32_t fomPeak2Last = 0;

  double Energy(double x) const { return a * x * x + b * x + c; }
  // The unit name, "chn" for an index outside the table.
  const char* UnitName() const;
  // Number of points a fit uses: every point with use-all set, else the ticked ones.
  int UsedPointCount() const;

  std::array<std::uint8_t, kImageSize> ToBytes() const;
  // Reads an image of exactly kImageSize bytes; returns 0, or -1 (record unchanged) for another size.
  int FromBytes(std::span<const std::uint8_t> bytes);

  bool operator==(const CalibrationRecord&) const = default;
};

}  // namespace mirvo
