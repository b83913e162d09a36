#include "timesvc/NtpTimestamp.h"

#include <cmath>

namespace mirvo {
namespace {

constexpr double kTwoTo32 = 4294967296.0;

std::uint32_t ReadBigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void WriteBigEndian32(std::uint32_t value, std::uint8_t* p) {
  p[0] = static_cast<std::uint8_t>(value >> 24);
  p[1] = static_cast<std::uint8_t>(value >> 16);
  p[2] = static_cast<std::uint8_t>(value >> 8);
  p[3] = static_cast<std::uint8_t>(value);
}

}  // namespace

std::uint32_t NtpFractionFromMilliseconds(int milliseconds) {
  // Exact integer rounding of ms x 2^32 / 1000.
  return static_cast<std::uint32_t>(((static_cast<std::uint64_t>(milliseconds) << 32) + 500) / 1000);
}

int MillisecondsFromNtpFraction(std::uint32_t fraction) {
  return static_cast<int>(std::trunc(fraction * 1000.0 / kTwoTo32 + 0.5));
}

NtpTimestamp NtpFromUtcMilliseconds(std::int64_t utcMilliseconds) {
  std::int64_t seconds = utcMilliseconds / 1000;
  std::int64_t millisecond = utcMilliseconds % 1000;
  if (millisecond < 0) {
    millisecond += 1000;
    --seconds;
  }
  return {NtpFractionFromMilliseconds(static_cast<int>(millisecond)),
          static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds + kNtpUnixEpochSeconds))};
}

std::int64_t UtcMillisecondsFromNtp(NtpTimestamp timestamp) {
  std::int64_t seconds = timestamp.seconds;
  if ((timestamp.seconds & 0x80000000u) == 0) seconds += std::int64_t{1} << 32;  // era 1: 2036-02-07 on
  return (seconds - kNtpUnixEpochSeconds) * 1000 + MillisecondsFromNtpFraction(timestamp.fraction);
}

CivilTime CivilFromNtp(NtpTimestamp timestamp) { return CivilFromUtcMilliseconds(UtcMillisecondsFromNtp(timestamp)); }

double NtpDifferenceSeconds(NtpTimestamp a, NtpTimestamp b) {
  const std::uint64_t forward = a.Fixed() - b.Fixed();  // modulo 2^64
  const bool negative = (forward >> 63) != 0;
  const std::uint64_t magnitude = negative ? (0 - forward) : forward;
  const double seconds = static_cast<double>(magnitude >> 32) + static_cast<double>(magnitude & 0xFFFFFFFFu) / kTwoTo32;
  return negative ? -seconds : seconds;
}

NtpTimestamp NtpAddOffset(NtpTimestamp timestamp, double offsetSeconds) {
  if (!std::isfinite(offsetSeconds)) return timestamp;
  const bool negative = offsetSeconds < 0;
  const double magnitude = std::fabs(offsetSeconds);
  const double whole = std::floor(magnitude);
  // Whole seconds modulo 2^32 (the seconds field wraps), fraction rounded to 2^-32 s.
  const auto wholeSeconds = static_cast<std::uint64_t>(std::fmod(whole, kTwoTo32));
  const auto fractionUnits = static_cast<std::uint64_t>(std::llround((magnitude - whole) * kTwoTo32));
  const std::uint64_t delta = (wholeSeconds << 32) + fractionUnits;
  return NtpTimestamp::FromFixed(negative ? timestamp.Fixed() - delta : timestamp.Fixed() + delta);
}

void WriteNtpTimestamp(NtpTimestamp timestamp, std::span<std::uint8_t, 8> out) {
  WriteBigEndian32(timestamp.seconds, out.data());
  WriteBigEndian32(timestamp.fraction, out.data() + 4);
}

NtpTimestamp ReadNtpTimestamp(std::span<const std::uint8_t, 8> in) {
  return {ReadBigEndian32(in.data() + 4), ReadBigEndian32(in.data())};
}

}  // namespace mirvo
