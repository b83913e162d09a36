#include "acquisition/NamedSetting.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace mirvo {

bool ParseWholeNumber(const std::string& text, long long low, long long high, long long& value) {
  long long parsed = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high)
    return false;
  value = parsed;
  return true;
}

namespace {
std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}
}  // namespace

int WordIndex(const std::string& text, const std::vector<std::string>& words) {
  const std::string wanted = Lower(text);
  for (std::size_t i = 0; i < words.size(); ++i)
    if (Lower(words[i]) == wanted) return static_cast<int>(i);
  return -1;
}

bool ParseOnOff(const std::string& text, bool& on) {
  const int index = WordIndex(text, {"off", "on", "0", "1"});
  if (index < 0) return false;
  on = index % 2 == 1;
  return true;
}

}  // namespace mirvo
