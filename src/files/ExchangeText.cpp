#include "files/ExchangeText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace mirvo {

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

// Reads an unsigned decimal of exactly `digits` digits at `pos`.
bool Digits(std::string_view text, std::size_t& pos, std::size_t digits, int& value) {
  if (pos + digits > text.size()) return false;
  value = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const char c = text[pos + i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  pos += digits;
  return true;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

}  // namespace

std::string NumberText(double value) {
  if (!std::isfinite(value)) value = 0.0;
  if (value == 0.0) return "0";
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string FixedText(double value, int decimals) {
  if (!std::isfinite(value)) value = 0.0;
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return NumberText(value);
  return std::string(buffer, result.ptr);
}

std::optional<double> ParseNumber(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<long long> ParseWholeInteger(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  long long value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string XmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') out += ' ';
        else out += c;
    }
  }
  return out;
}

std::string DurationText(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0.0) seconds = 0.0;
  return "PT" + NumberText(seconds) + "S";
}

std::optional<double> ParseDuration(std::string_view text) {
  text = Trimmed(text);
  if (text.empty() || text.front() != 'P') return std::nullopt;
  text.remove_prefix(1);
  double total = 0.0;
  bool inTime = false;
  bool any = false;
  while (!text.empty()) {
    if (text.front() == 'T') {
      if (inTime) return std::nullopt;
      inTime = true;
      text.remove_prefix(1);
      continue;
    }
    std::size_t end = 0;
    while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '.')) ++end;
    if (end == 0 || end == text.size()) return std::nullopt;
    const std::optional<double> value = ParseNumber(text.substr(0, end));
    if (!value) return std::nullopt;
    const char designator = text[end];
    double factor = 0.0;
    if (!inTime && designator == 'D') factor = 86400.0;
    else if (inTime && designator == 'H') factor = 3600.0;
    else if (inTime && designator == 'M') factor = 60.0;
    else if (inTime && designator == 'S') factor = 1.0;
    else return std::nullopt;  // years and months have no fixed length
    total += *value * factor;
    any = true;
    text.remove_prefix(end + 1);
  }
  if (!any) return std::nullopt;
  return total;
}

std::string DateTimeText(const CivilTime& time, int offsetMinutes) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", time.year, time.month, time.day, time.hour,
                time.minute, time.second);
  std::string text(buffer);
  if (offsetMinutes == 0) return text + "Z";
  const int magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  std::snprintf(buffer, sizeof buffer, "%c%02d:%02d", offsetMinutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  return text + buffer;
}

std::optional<ZonedTime> ParseDateTime(std::string_view text) {
  text = Trimmed(text);
  ZonedTime zoned;
  CivilTime& t = zoned.time;
  std::size_t pos = 0;
  if (!Digits(text, pos, 4, t.year) || !Expect(text, pos, '-') || !Digits(text, pos, 2, t.month) ||
      !Expect(text, pos, '-') || !Digits(text, pos, 2, t.day) || !Expect(text, pos, 'T') ||
      !Digits(text, pos, 2, t.hour) || !Expect(text, pos, ':') || !Digits(text, pos, 2, t.minute) ||
      !Expect(text, pos, ':') || !Digits(text, pos, 2, t.second))
    return std::nullopt;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    const std::size_t digits = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
    if (pos == digits) return std::nullopt;
  }
  if (pos < text.size()) {
    if (text[pos] == 'Z') {
      ++pos;
      zoned.hasOffset = true;
    } else if (text[pos] == '+' || text[pos] == '-') {
      const int sign = text[pos] == '-' ? -1 : 1;
      ++pos;
      int hours = 0;
      int minutes = 0;
      if (!Digits(text, pos, 2, hours) || !Expect(text, pos, ':') || !Digits(text, pos, 2, minutes) || hours > 14 ||
          minutes > 59)
        return std::nullopt;
      zoned.hasOffset = true;
      zoned.offsetMinutes = sign * (hours * 60 + minutes);
    }
  }
  if (pos != text.size()) return std::nullopt;
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 || t.second > 60)
    return std::nullopt;
  return zoned;
}

}  // namespace mirvo
