// mirvo-cli: the command-line tool of Mirvo-PSD.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/CliCommand.h"

namespace mirvo::cli {

std::vector<CliCommand>& Commands() {
  static std::vector<CliCommand> commands;
  return commands;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& flag) {
  const auto it = std::find(args.begin(), args.end(), flag);
  if (it == args.end()) return false;
  args.erase(it);
  return true;
}

bool TakeOption(std::vector<std::string>& args, const std::string& option, std::string& value) {
  const auto it = std::find(args.begin(), args.end(), option);
  if (it == args.end()) return true;
  if (it + 1 == args.end()) {
    std::fprintf(stderr, "mirvo-cli: %s needs a value\n", option.c_str());
    return false;
  }
  value = *(it + 1);
  args.erase(it, it + 2);
  return true;
}

bool WarnOfDamage(const char* command, const std::string& path, const std::vector<std::string>& damage) {
  for (const std::string& what : damage)
    std::fprintf(stderr, "mirvo-cli %s: %s: warning: %s\n", command, path.c_str(), what.c_str());
  return !damage.empty();
}

bool OutputIsAnInput(const char* command, const std::string& output, const std::vector<std::string>& inputs) {
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (output == input || std::filesystem::equivalent(output, input, ec)) {
      std::fprintf(stderr, "mirvo-cli %s: the output %s is the input %s; choose another output\n", command,
                   output.c_str(), input.c_str());
      return true;
    }
  }
  return false;
}

namespace {

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "Usage: mirvo-cli COMMAND [ARGUMENTS]\n"
               "Command-line tool of Mirvo-PSD, the control and acquisition program of the Kvetral spectrometer.\n\n"
               "Commands:\n");
  auto commands = Commands();
  std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const auto& c : commands) {
    const std::string synopsis = c.name + (c.usage.empty() ? "" : " " + c.usage);
    std::fprintf(out, "  %-40s %s\n", synopsis.c_str(), c.summary.c_str());
  }
  std::fprintf(out,
               "\nOptions:\n"
               "  --help     show this help\n"
               "  --version  show the version\n\n"
               "Exit status: 0 success, 1 wrong usage, 2 the command failed, 3 done but an input file was damaged.\n");
}

// Output that could not be written (a full disk, a closed pipe) is a failure, never a silent success.
int FinishOutput(int status) {
  errno = 0;
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return status;
  const int error = errno;
  std::fprintf(stderr, "mirvo-cli: cannot write to standard output%s%s\n", error != 0 ? ": " : "",
               error != 0 ? std::strerror(error) : "");
  return status == kExitOk ? kExitFailure : status;
}

int Run(std::vector<std::string> args) {
  if (args.empty()) {
    PrintHelp(stderr);
    return kExitUsage;
  }
  const std::string name = args.front();
  args.erase(args.begin());
  if (name == "--help" || name == "-h" || name == "help") {
    PrintHelp(stdout);
    return kExitOk;
  }
  if (name == "--version") {
    std::printf("mirvo-cli 2.50\n");
    return kExitOk;
  }
  for (const auto& command : Commands()) {
    if (command.name == name) return command.run(args);
  }
  std::fprintf(stderr, "mirvo-cli: unknown command '%s' (see mirvo-cli --help)\n", name.c_str());
  return kExitUsage;
}

}  // namespace
}  // namespace mirvo::cli

int main(int argc, char** argv) {
  using namespace mirvo::cli;
  // A closed pipe is a write error to report, not a reason to die (acquire and log stop and save).
  std::signal(SIGPIPE, SIG_IGN);
  return FinishOutput(Run(std::vector<std::string>(argv + 1, argv + argc)));
}
