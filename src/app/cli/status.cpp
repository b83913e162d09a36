// mirvo-cli status PORT [--baud B]: one status read of the instrument.
#include <cstdio>
#include <memory>

#include "app/cli/CliCommand.h"
#include "app/cli/CliOptions.h"
#include "app/cli/CliLinkHost.h"

namespace mirvo::cli {
namespace {

struct StatusArguments {
  std::string port;
  unsigned baud = LinkLifecycle::kDefaultBaudRate;
};

int RunStatus(const StatusArguments& args) {
  CliLinkHost host;
  CliConnection connection(host);
  LinkLifecycle& lifecycle = connection.lifecycle;
  lifecycle.SetDeviceName(ResolvePortArgument(args.port));
  lifecycle.SetBaudRate(args.baud);
  if (!lifecycle.ConnectHardware()) {
    host.DumpLog(stderr);
    return kExitFailure;
  }
  lifecycle.Policy().AutoUpdateSwitch().SetAutoUpdate(false);  // one status read, no spectrum polling
  connection.loop.RunUntil([&] { return host.statusFolds > 0 || !lifecycle.Link().Connected(); });
  if (host.statusFolds == 0) {
    host.DumpLog(stderr);
    return kExitFailure;
  }

  const RegisterImage& image = host.image;
  std::printf("Serial number:        %05u\n", static_cast<unsigned>(host.status.serialnumber));
  std::printf("Firmware:             %3.2f\n", host.status.firmware / 100.0);
  std::printf("Internal temperature: %d C\n", static_cast<int>(host.status.intemp));
  std::printf("Slow ADC voltage:     %5.1f V\n", host.status.slowadc);
  std::printf("Real time:            %10.2f s\n", RealTimeSeconds(image, kDefaultSamplePeriodUs));
  std::printf("Live time:            %10.2f s\n", LiveTimeSeconds(image, kDefaultSamplePeriodUs));
  std::printf("Acquisition running:  %s\n", image.Running() ? "yes" : "no");
  lifecycle.DisconnectHardware();
  return kExitOk;
}

std::function<int()> DefineStatus(CLI::App& command) {
  auto args = std::make_shared<StatusArguments>();
  AddPortArgument(command, args->port);
  AddBaudOption(command, args->baud);
  return [args] { return RunStatus(*args); };
}

const CliRegistration registration({"status", "connect, read the instrument's status once, print it, disconnect",
                                    DefineStatus});

}  // namespace
}  // namespace mirvo::cli
