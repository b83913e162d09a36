// mirvo-cli ntp SERVER [--sync] [--port N]: one NTP query with the log lines of the time-stamp
// dialog's Get UTC; with --sync the system clock is then set from it, as the dialog's button does.
#include <cstdio>
#include <memory>

#include "app/cli/CliCommand.h"
#include "app/cli/CliOptions.h"
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

struct NtpArguments {
  std::string server;
  bool sync = false;
  unsigned port = CSNTPClient::kDefaultPort;
};

int RunNtp(const NtpArguments& args) {
  const bool sync = args.sync;
  const unsigned port = args.port;

  CSNTPClient client(DefaultClock(), static_cast<std::uint16_t>(port));
  SystemClockSetter setter;
  TimeUtcModel dialog(DefaultClock(), client, setter);
  dialog.Open();
  dialog.SetServerName(args.server);
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

std::function<int()> DefineNtp(CLI::App& command) {
  auto args = std::make_shared<NtpArguments>();
  command.add_option("SERVER", args->server, "a host name or a dotted IPv4 address")
      ->required()
      ->check(Check([](const std::string& text) { return text.empty() ? std::string("needs a server name") : std::string(); }));
  command.add_flag("--sync", args->sync, "set the system clock from the reply");
  command.add_option("--port", args->port, "the server's UDP port (default 123)")->type_name("N")->check(WholeNumber(1, 65535));
  return [args] { return RunNtp(*args); };
}

const CliRegistration registration({"ntp", "query an NTP server and show the clock offset; --sync sets the clock",
                                    DefineNtp});

}  // namespace
}  // namespace mirvo::cli
