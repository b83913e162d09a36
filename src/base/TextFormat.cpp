#include "base/TextFormat.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace mirvo {

namespace {
// Files, exports, log lines and clipboard texts are written with a '.' decimal point whatever locale
// the process runs in (QApplication adopts the user's locale, a comma in much of Europe). The C locale
// is pinned for this thread during each call only, so no library call elsewhere can undo it.
locale_t CLocale() {
  static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return cLocale;
}

class CLocaleScope {
 public:
  CLocaleScope() {
    if (CLocale() != static_cast<locale_t>(nullptr)) previous_ = ::uselocale(CLocale());
  }
  ~CLocaleScope() {
    if (previous_ != static_cast<locale_t>(nullptr)) ::uselocale(previous_);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_ = static_cast<locale_t>(nullptr);
};
}  // namespace

std::string FormatTextV(const char* format, va_list args) {
  const CLocaleScope cLocale;
  char buffer[256];
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (length < 0) {
    va_end(again);
    return {};
  }
  if (static_cast<std::size_t>(length) < sizeof buffer) {
    va_end(again);
    return std::string(buffer, static_cast<std::size_t>(length));
  }
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, again);
  va_end(again);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatTextV(format, args);
  va_end(args);
  return text;
}

double ParseDouble(const char* text, char** end) {
  if (CLocale() == static_cast<locale_t>(nullptr)) return std::strtod(text, end);
  return ::strtod_l(text, end, CLocale());
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
