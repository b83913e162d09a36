// NTP timestamps (seconds since 1900-01-01 UTC and a binary fraction) and their arithmetic: from and
// to the clock's milliseconds, differences in seconds and the addition of a signed clock offset.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "base/Clock.h"

namespace mirvo {

struct NtpTimestamp {
  std::uint32_t fraction = 0;  // units of 2^-32 s
  std::uint32_t seconds = 0;   // since 1900-01-01 00:00:00 UTC, modulo 2^32

  std::uint64_t Fixed() const { return (std::uint64_t{seconds} << 32) | fraction; }
  static NtpTimestamp FromFixed(std::uint64_t value) {
    return {static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)};
  }
  bool IsZero() const { return fraction == 0 && seconds == 0; }
  bool operator==(const NtpTimestamp&) const = default;
};

// Seconds from 1900-01-01 to 1970-01-01.
constexpr std::int64_t kNtpUnixEpochSeconds = 2208988800LL;

// milliseconds (0..999) x 2^32 / 1000, rounded to the nearest integer: 500 -> 2147483648.
std::uint32_t NtpFractionFromMilliseconds(int milliseconds);
// trunc(fraction x 1000 / 2^32 + 0.5): 0..1000 (1000 only for fractions within half a millisecond of 1 s).
int MillisecondsFromNtpFraction(std::uint32_t fraction);

// The clock's milliseconds since 1970 as an NTP timestamp.
NtpTimestamp NtpFromUtcMilliseconds(std::int64_t utcMilliseconds);
// An NTP timestamp as milliseconds since 1970, the fraction rounded to the nearest millisecond (a
// fraction that rounds up to 1000 ms carries into the next second). Seconds with the top bit clear
// are read as the era that starts in February 2036.
std::int64_t UtcMillisecondsFromNtp(NtpTimestamp timestamp);
// The calendar date and time (UTC) of an NTP timestamp.
CivilTime CivilFromNtp(NtpTimestamp timestamp);

// a - b in seconds. Timestamps are compared on the 64-bit circle, so a difference is right as long
// as the two lie less than 68 years apart, also across the 2036 wrap of the seconds field.
double NtpDifferenceSeconds(NtpTimestamp a, NtpTimestamp b);
// timestamp + offsetSeconds (negative offsets move it back), carrying between fraction and seconds.
// A non-finite offset leaves the timestamp unchanged.
NtpTimestamp NtpAddOffset(NtpTimestamp timestamp, double offsetSeconds);

// Wire form: seconds then fraction, both big-endian (8 bytes).
void WriteNtpTimestamp(NtpTimestamp timestamp, std::span<std::uint8_t, 8> out);
NtpTimestamp ReadNtpTimestamp(std::span<const std::uint8_t, 8> in);

}  // namespace mirvo
