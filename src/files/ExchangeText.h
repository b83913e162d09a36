// Locale-free text pieces of the interchange formats: numbers written and read with to_chars and
// from_chars, XML escaping, ISO 8601 durations and date-times.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/Clock.h"

namespace mirvo {

// The shortest text that reads back as the same double ("12.5", "1e-07"); never a comma.
std::string NumberText(double value);
// Fixed notation with `decimals` digits after the point ("12.500").
std::string FixedText(double value, int decimals);

// A whole decimal text (optional sign, digits, point, exponent) with nothing after it; spaces
// around are allowed. Empty for anything else, non-finite values included.
std::optional<double> ParseNumber(std::string_view text);
std::optional<long long> ParseWholeInteger(std::string_view text);

// Text and attribute values with &, <, >, " and ' escaped; bytes below 0x20 other than tab, CR and
// LF, which XML cannot carry, become spaces.
std::string XmlEscaped(std::string_view text);

// "PT12.5S". ParseDuration reads the xsd:duration forms "PT12.5S", "PT1H2M3S", "P1DT2S" into
// seconds; empty for anything else or a negative duration.
std::string DurationText(double seconds);
std::optional<double> ParseDuration(std::string_view text);

// A date-time as written in a file: the civil time and, when the text carries one, its offset
// from UTC in minutes ("Z" is 0).
struct ZonedTime {
  CivilTime time;
  bool hasOffset = false;
  int offsetMinutes = 0;
};
// "2026-12-10T05:20:00Z", "2026-12-10T07:20:00+02:00"; with an offset of 0 the text ends in "Z".
std::string DateTimeText(const CivilTime& time, int offsetMinutes);
// xsd:dateTime, fractions of a second dropped.
std::optional<ZonedTime> ParseDateTime(std::string_view text);

// The text split at spaces, tabs, CR and LF.
template <typename Visit>
void ForEachToken(std::string_view text, Visit&& visit) {
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    std::size_t end = i;
    while (end < text.size() && !(text[end] == ' ' || text[end] == '\t' || text[end] == '\r' || text[end] == '\n')) ++end;
    if (end > i && !visit(text.substr(i, end - i))) return;
    i = end;
  }
}

}  // namespace mirvo
