// A panel setting as the command line names it ("preset", "gain.fine"): shown with its value and
// unit, and set from text through the panel's own handler, so a setting changed from a script goes
// through the same checks and the same register write as one changed in the window.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace mirvo {

struct NamedSetting {
  std::string name;
  std::string unit;     // empty when the value has none
  std::string accepts;  // what may be given, e.g. "0 .. 21474836" or "real|live"
  std::function<std::string()> value;
  // Applies `text`; false with the reason in `error` when the text is not a value the panel takes.
  std::function<bool(const std::string& text, std::string& error)> set;
};

// Parsing helpers for the setters: whole numbers, on/off, and one word of a list.
bool ParseWholeNumber(const std::string& text, long long low, long long high, long long& value);
bool ParseOnOff(const std::string& text, bool& on);
// The index of `text` in `words` (compared without case), or -1.
int WordIndex(const std::string& text, const std::vector<std::string>& words);

}  // namespace mirvo
