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
#include "app/cli/CliOptions.h"

namespace mirvo::cli {

std::vector<CliCommand>& Commands() {
  static std::vector<CliCommand> commands;
  return commands;
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

// The command being run, for usage errors found after parsing.
const CLI::App* currentParser = nullptr;

constexpr const char* kExitStatusLine =
    "Exit status: 0 success, 1 wrong usage, 2 the command failed, 3 done but an input file was damaged.\n"
    "acquire and log exit with 3 also when the run was done but the watchdog warned about it.\n";

// A command's parser: the program's name and the command's in its usage line, --help and -h.
// Arguments that are not the command's stay aside (allow_extras) so that they are named as unknown
// options or unexpected arguments instead of a mismatch they cause further on.
std::function<int()> DefineParser(const CliCommand& command, CLI::App& parser) {
  parser.name("mirvo-cli " + command.name);
  parser.description(command.summary);
  parser.allow_extras();
  parser.footer(kExitStatusLine);
  std::function<int()> run = command.define(parser);
  // A flag given twice is as wrong as an option given twice (repetition is allowed only where a
  // command says so).
  for (CLI::Option* option : parser.get_options([](const CLI::Option*) { return true; })) {
    if (option != parser.get_help_ptr() && option->get_expected_max() == 0)
      option->multi_option_policy(CLI::MultiOptionPolicy::Throw);
  }
  return run;
}

std::string UsageLine(const CLI::App& parser) {
  std::string line = "Usage: ";
  line.append(parser.get_name());
  const std::string synopsis = Synopsis(parser);
  if (!synopsis.empty()) {
    line.push_back(' ');
    line.append(synopsis);
  }
  return line;
}

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "Usage: mirvo-cli COMMAND [ARGUMENTS]\n"
               "Command-line tool of Mirvo-PSD, the control and acquisition program of the Kvetral spectrometer.\n\n"
               "Commands:\n");
  auto commands = Commands();
  std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const auto& c : commands) {
    CLI::App parser;
    DefineParser(c, parser);
    std::string synopsis = c.name;
    if (const std::string arguments = Synopsis(parser); !arguments.empty()) {
      synopsis.push_back(' ');
      synopsis.append(arguments);
    }
    // At least two spaces between the arguments and the summary.
    std::fprintf(out, "  %-40s  %s\n", synopsis.c_str(), c.summary.c_str());
  }
  std::fprintf(out,
               "\nOptions:\n"
               "  --help     show this help (COMMAND --help: the command's arguments)\n"
               "  --version  show the version\n\n"
               "%s",
               kExitStatusLine);
}

// CLI11's texts for the two commonest mistakes, said plainly.
std::string ErrorText(const CLI::Error& error) {
  const std::string text = error.what();
  const auto colon = text.find(": ");
  if (colon != std::string::npos && colon == text.find(' ') - 1) {
    const std::string name = text.substr(0, colon);
    if (text.ends_with(" missing") && text.find(" required ") != std::string::npos) return name + " needs a value";
    if (text.find(": At Most ") == colon) return name + " is given more than once";
  }
  return text;
}

// What the parser put aside: the first unknown option or unexpected argument, or nothing.
std::string ExtraText(const CLI::App& parser) {
  const std::vector<std::string> extras = parser.remaining();
  if (extras.empty()) return {};
  const std::string& extra = extras.front();
  if (extra.size() > 1 && extra.front() == '-') return "unknown option " + extra;
  return "unexpected argument '" + extra + "'";
}

int RunCommand(const CliCommand& command, std::vector<std::string> args) {
  CLI::App parser;
  const std::function<int()> run = DefineParser(command, parser);
  currentParser = &parser;
  std::reverse(args.begin(), args.end());  // CLI11 takes the arguments last first
  try {
    parser.parse(args);
  } catch (const CLI::CallForHelp&) {
    std::fputs(parser.help().c_str(), stdout);
    return kExitOk;
  } catch (const CLI::RequiredError& error) {
    // "FILE is required" after "info --frobnicate": the unknown option is the mistake to name.
    const std::string extra = ExtraText(parser);
    return UsageError(extra.empty() ? ErrorText(error) : extra);
  } catch (const CLI::ParseError& error) {
    return UsageError(ErrorText(error));
  }
  if (const std::string extra = ExtraText(parser); !extra.empty()) return UsageError(extra);
  return run();
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
    if (command.name == name) return RunCommand(command, args);
  }
  std::fprintf(stderr, "mirvo-cli: unknown command '%s' (see mirvo-cli --help)\n", name.c_str());
  return kExitUsage;
}

}  // namespace

int UsageError(const std::string& message) {
  const std::string name = currentParser != nullptr ? currentParser->get_name() : "mirvo-cli";
  std::fprintf(stderr, "%s: %s\n", name.c_str(), message.c_str());
  if (currentParser != nullptr)
    std::fprintf(stderr, "%s\n(see mirvo-cli %s --help)\n", UsageLine(*currentParser).c_str(),
                 name.substr(name.find(' ') + 1).c_str());
  return kExitUsage;
}

}  // namespace mirvo::cli

int main(int argc, char** argv) {
  using namespace mirvo::cli;
  // A closed pipe is a write error to report, not a reason to die (acquire and log stop and save).
  std::signal(SIGPIPE, SIG_IGN);
  return FinishOutput(Run(std::vector<std::string>(argv + 1, argv + argc)));
}
