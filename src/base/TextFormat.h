// printf-style formatting into a std::string for the fixed text formats of panes, titles and files
// ("%8.2f", "%10lu", "S%d: " ...), and the reading of numbers the way an edit field reads them.
#pragma once

#include <cstdarg>
#include <string>

namespace mirvo {

// Numbers are formatted with a '.' decimal point whatever the process locale is.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatTextV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// std::strtod as in the C locale ('.' decimal point), whatever the process locale is.
double ParseDouble(const char* text, char** end);

// Reads a decimal number from the start of a text the way an edit field is read: leading spaces
// and a leading '+' are accepted, the number ends at the first character that cannot belong to it,
// and a text that does not start with a finite number reads as 0.
double ParseLeadingDouble(const std::string& text);
long long ParseLeadingInteger(const std::string& text);

}  // namespace mirvo
