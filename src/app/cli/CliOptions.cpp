#include "app/cli/CliOptions.h"

#include <charconv>
#include <cmath>

#include "base/TextFormat.h"
#include "link/CSerial.h"

namespace mirvo::cli {
namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  quoted.append(text);
  quoted.push_back('\'');
  return quoted;
}

bool WholeValue(const std::string& text, long long& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

}  // namespace

CLI::Validator Check(std::function<std::string(const std::string& text)> why) {
  // No description: the type name given with the option is all --help shows.
  return CLI::Validator([why = std::move(why)](std::string& text) { return why(text); }, "");
}

CLI::Validator OneOf(std::vector<std::string> choices) {
  return Check([choices = std::move(choices)](const std::string& text) {
    for (const std::string& choice : choices)
      if (text == choice) return std::string();
    std::string message = "must be ";
    for (std::size_t i = 0; i < choices.size(); ++i) {
      if (i > 0) message.append(i + 1 == choices.size() ? " or " : ", ");
      message.append(choices[i]);
    }
    message.append(", not ");
    message.append(Quoted(text));
    return message;
  });
}

CLI::Validator WholeNumber(long long min, long long max) {
  return Check([min, max](const std::string& text) {
    long long value = 0;
    if (WholeValue(text, value) && value >= min && value <= max) return std::string();
    std::string message = "needs a whole number from ";
    message.append(std::to_string(min));
    message.append(" to ");
    message.append(std::to_string(max));
    message.append(", not ");
    message.append(Quoted(text));
    return message;
  });
}

CLI::Validator SpectrumNumber() {
  return Check([](const std::string& text) {
    long long value = 0;
    if (WholeValue(text, value) && value >= 0 && value <= 3) return std::string();
    std::string message = "needs a spectrum number from 0 to 3, not ";
    message.append(Quoted(text));
    return message;
  });
}

CLI::Validator ChannelRange() {
  return Check([](const std::string& text) {
    const auto colon = text.find(':');
    long long first = 0;
    long long last = 0;
    if (colon == std::string::npos || !WholeValue(text.substr(0, colon), first) ||
        !WholeValue(text.substr(colon + 1), last) || first > 2147483647 || last > 2147483647) {
      std::string message = "bad ROI ";
      message.append(Quoted(text));
      message.append(": FIRST:LAST in soft channels");
      return message;
    }
    if (first < 0 || last < first) {
      std::string message = "bad ROI ";
      message.append(Quoted(text));
      message.append(": channels start at 0 and FIRST may not be above LAST");
      return message;
    }
    return std::string();
  });
}

CLI::Validator Seconds(double max) {
  return Check([max](const std::string& text) {
    char* end = nullptr;
    const double value = ParseDouble(text.c_str(), &end);
    if (!text.empty() && end != text.c_str() && *end == '\0' && std::isfinite(value) && value > 0 && value <= max)
      return std::string();
    std::string message = "needs a number of seconds above 0 and at most ";
    message.append(FormatText("%.0f", max));
    message.append(", not ");
    message.append(Quoted(text));
    return message;
  });
}

CLI::Validator BaudRate() {
  return Check([](const std::string& text) {
    long long value = 0;
    if (!WholeValue(text, value) || value <= 0 || value > 4000000) {
      std::string message = "bad baud rate ";
      message.append(Quoted(text));
      return message;
    }
    if (BaudRateSupported(static_cast<unsigned>(value))) return std::string();
    std::string message = "a serial port cannot be set to ";
    message.append(std::to_string(value));
    message.append(" baud; it can be set to:");
    for (unsigned rate : SupportedBaudRates()) {
      message.push_back(' ');
      message.append(std::to_string(rate));
    }
    return message;
  });
}

CLI::Option* Repeatable(CLI::Option* option) {
  return option->allow_extra_args(false)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

CLI::Option* AddPortArgument(CLI::App& command, std::string& port) {
  return command.add_option("PORT", port, "the instrument's port: a device path or a port name (ttyUSB0)")->required();
}

CLI::Option* AddBaudOption(CLI::App& command, unsigned& baud) {
  return command.add_option("--baud", baud, "baud rate of the port (default 921600, the rate after AutoConnect)")
      ->type_name("B")
      ->check(BaudRate());
}

std::string Synopsis(const CLI::App& command) {
  std::string text;
  const auto add = [&text](const std::string& part) {
    if (!text.empty()) text.push_back(' ');
    text.append(part);
  };
  const std::vector<const CLI::Option*> options = command.get_options();
  for (const CLI::Option* option : options) {
    if (!option->get_positional() || !option->get_lnames().empty() || !option->get_snames().empty()) continue;
    std::string part = option->get_name(true);
    if (option->get_items_expected_max() > 1) part.append("...");
    add(option->get_required() ? part : "[" + part + "]");
  }
  for (const CLI::Option* option : options) {
    if (option == command.get_help_ptr() || (option->get_lnames().empty() && option->get_snames().empty())) continue;
    std::string part = option->get_name();
    if (option->get_expected_max() > 0) {
      part.push_back(' ');
      part.append(option->get_type_name());
    }
    const bool repeatable = option->get_multi_option_policy() == CLI::MultiOptionPolicy::TakeAll;
    if (!option->get_required()) part = "[" + part + "]";
    if (repeatable) part.append("...");
    add(part);
  }
  return text;
}

}  // namespace mirvo::cli
