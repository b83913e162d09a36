// mirvo-cli ntp SERVER [--sync] [--port N]: one NTP query with the log lines of the time-stamp
// dialog's Get UTC; with --sync the system clock is then set from it, as the dialog's button does.
#include <cstdio>
#include <cstdlib>

#include "app/cli/CliCommand.h"
#include "timesvc/CSNTPClient.h"
#include "timesvc/ClockSetter.h"
#include "timesvc/TimeUtcModel.h"

namespace mirvo::cli {
namespace {

void PrintLinesFrom(const TimeUtcModel& dialog, std::size_t firstAdded) {
  const auto& log = dialog.Log();
  const std::size_t dropped = dialog.LinesAdded() - log.size();
  for (std::size_t i = firstAdded > dropped ? firstAdded - dropped : 0; i < log.size(); ++i)
    std::printf("%s\n", log[i].c_str());
}

int RunNtp(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  const bool sync = TakeFlag(args, "--sync");
  std::string portText;
  if (!TakeOption(args, "--port", portText)) return kExitUsage;
  long port = CSNTPClient::kDefaultPort;
  if (!portText.empty()) {
    char* end = nullptr;
    port = std::strtol(portText.c_str(), &end, 10);
    if (*end != '\0' || port < 1 || port > 65535) {
      std::fprintf(stderr, "mirvo-cli ntp: --port needs a number from 1 to 65535, not '%s'\n", portText.c_str());
      return kExitUsage;
    }
  }
  if (args.size() != 1 || args.front().empty() || args.front().front() == '-') {
    std::fprintf(stderr, "usage: mirvo-cli ntp SERVER [--sync] [--port N]\n");
    return kExitUsage;
  }

  CSNTPClient client(DefaultClock(), static_cast<std::uint16_t>(port));
  SystemClockSetter setter;
  TimeUtcModel dialog(DefaultClock(), client, setter);
  dialog.Open();
  dialog.SetServerName(args.front());
  const bool measured = dialog.GetUtc();
  PrintLinesFrom(dialog, 0);
  if (!measured) {
    std::fprintf(stderr, "mirvo-cli ntp: %s\n", client.LastErrorText().c_str());
    return kExitFailure;
  }
  if (!sync) return kExitOk;
  const std::size_t before = dialog.LinesAdded();
  const auto outcome = dialog.Synchronize();
  PrintLinesFrom(dialog, before);
  return outcome == TimeUtcModel::SyncOutcome::Synchronised ? kExitOk : kExitFailure;
}

const CliRegistration registration({"ntp", "SERVER [--sync] [--port N]",
                                    "query an NTP server and show the clock offset; --sync sets the clock",
                                    RunNtp});

}  // namespace
}  // namespace mirvo::cli
