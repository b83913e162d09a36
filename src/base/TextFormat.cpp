#include "base/TextFormat.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace mirvo {

std::string FormatText(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return {};
  if (static_cast<std::size_t>(length) < sizeof buffer) return std::string(buffer, static_cast<std::size_t>(length));
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

namespace {
const char* SkipSign(const std::string& text, const char*& end) {
  const char* p = text.data();
  end = p + text.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  if (p < end && *p == '+') ++p;
  return p;
}
}  // namespace

double ParseLeadingDouble(const std::string& text) {
  const char* end = nullptr;
  const char* p = SkipSign(text, end);
  double value = 0.0;
  const auto result = std::from_chars(p, end, value, std::chars_format::general);
  if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
  return value;
}

long long ParseLeadingInteger(const std::string& text) {
  const char* end = nullptr;
  const char* p = SkipSign(text, end);
  long long value = 0;
  const auto result = std::from_chars(p, end, value);
  return result.ec == std::errc() ? value : 0;
}

}  // namespace mirvo
