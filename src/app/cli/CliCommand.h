// The command table of mirvo-cli. Each command file registers itself with a static CliRegistration,
// so a new command is one new file in src/app/cli/ and the tool stays a thin layer over the core.
// A command defines its positionals and options on a parser of its own (CLI11), bound to its own
// variables, and hands back what runs it once the arguments are parsed and checked.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <vector>

namespace mirvo::cli {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitFailure = 2;
constexpr int kExitDamagedInput = 3;  // done, but an input file was damaged (warned on stderr)

struct CliCommand {
  std::string name;
  std::string summary;  // one line for --help
  // Adds the command's positionals and options to `command`; returns what runs the command after a
  // successful parse.
  std::function<int()> (*define)(CLI::App& command);
};

std::vector<CliCommand>& Commands();

struct CliRegistration {
  explicit CliRegistration(CliCommand command) { Commands().push_back(std::move(command)); }
};

// A wrong use found after parsing (options that do not go together, a value out of the range a file
// allows): "mirvo-cli COMMAND: message" and the command's usage line on stderr; returns kExitUsage.
int UsageError(const std::string& message);

// Warns on stderr of what a loaded spectrum file was missing ("mirvo-cli info: F: warning: ...");
// true when there was anything to warn of.
bool WarnOfDamage(const char* command, const std::string& path, const std::vector<std::string>& damage);

// An output that is one of the inputs (the same file, also through links) would replace the data it
// is made from: true after saying so on stderr.
bool OutputIsAnInput(const char* command, const std::string& output, const std::vector<std::string>& inputs);

}  // namespace mirvo::cli
