// The checks of mirvo-cli's option values, shared by the commands: each turns a value that cannot be
// used into a usage error naming the option ("--baud: bad baud rate '9600x'") before anything runs.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <vector>

namespace mirvo::cli {

// A check of an option's text: `why` returns what is wrong with it, or nothing when it is good.
CLI::Validator Check(std::function<std::string(const std::string& text)> why);
// One of `choices`: "must be system, utc or local, not 'gmt'".
CLI::Validator OneOf(std::vector<std::string> choices);
// A whole decimal number from `min` to `max`.
CLI::Validator WholeNumber(long long min, long long max);
// A spectrum number, 0 to 3.
CLI::Validator SpectrumNumber();
// A channel range FIRST:LAST of whole numbers with 0 <= FIRST <= LAST (the file sets the upper bound).
CLI::Validator ChannelRange();
// A number of seconds: finite, above 0 and at most `max`.
CLI::Validator Seconds(double max);
// A baud rate a serial port can be set to; another is refused with the list of those it can.
CLI::Validator BaudRate();

// PORT, for every command that talks to the instrument.
CLI::Option* AddPortArgument(CLI::App& command, std::string& port);
// An option that may be given more than once, each time with one value ("--roi A --roi B").
CLI::Option* Repeatable(CLI::Option* option);
// --baud B (default 921600, the rate after AutoConnect).
CLI::Option* AddBaudOption(CLI::App& command, unsigned& baud);

// The command's arguments in one line, as --help lists them: "PORT --preset SECONDS [--live] ...".
std::string Synopsis(const CLI::App& command);

}  // namespace mirvo::cli
