// The command table of mirvo-cli. Each command file registers itself with a static CliRegistration,
// so a new command is one new file in src/app/cli/ and the tool stays a thin layer over the core.
#pragma once

#include <string>
#include <vector>

namespace mirvo::cli {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitFailure = 2;
constexpr int kExitDamagedInput = 3;  // done, but an input file was damaged (warned on stderr)

struct CliCommand {
  std::string name;
  std::string usage;    // arguments, e.g. "PORT [--baud B]"
  std::string summary;  // one line for --help
  int (*run)(const std::vector<std::string>& args);  // args after the command name
};

std::vector<CliCommand>& Commands();

struct CliRegistration {
  explicit CliRegistration(CliCommand command) { Commands().push_back(std::move(command)); }
};

// Small helpers for option parsing: "--name VALUE" pairs and flags.
bool TakeFlag(std::vector<std::string>& args, const std::string& flag);
// Returns false when the option is present without a value (reported on stderr).
bool TakeOption(std::vector<std::string>& args, const std::string& option, std::string& value);

// An output that is one of the inputs (the same file, also through links) would replace the data it
// is made from: true after saying so on stderr.
// Warns on stderr of what a loaded spectrum file was missing ("mirvo-cli info: F: warning: ...");
// true when there was anything to warn of.
bool WarnOfDamage(const char* command, const std::string& path, const std::vector<std::string>& damage);

bool OutputIsAnInput(const char* command, const std::string& output, const std::vector<std::string>& inputs);

}  // namespace mirvo::cli
