// mirvo-cli status PORT [--baud B]: one status read of the instrument.
#include <cstdio>
#include <cstdlib>

#include "app/cli/CliCommand.h"
#include "link/CSerial.h"
#include "app/cli/CliLinkHost.h"

namespace mirvo::cli {

bool ParseBaud(std::vector<std::string>& args, unsigned& baud) {
  std::string text;
  if (!TakeOption(args, "--baud", text)) return false;
  if (text.empty()) return true;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || value == 0 || value > 4000000) {
    std::fprintf(stderr, "mirvo-cli: bad baud rate '%s'\n", text.c_str());
    return false;
  }
  if (!BaudRateSupported(static_cast<unsigned>(value))) {
    std::string rates;
    for (unsigned rate : SupportedBaudRates()) {
      rates.push_back(' ');
      rates.append(std::to_string(rate));
    }
    std::fprintf(stderr, "mirvo-cli: a serial port cannot be set to %lu baud; it can be set to:%s\n", value,
                 rates.c_str());
    return false;
  }
  baud = static_cast<unsigned>(value);
  return true;
}

namespace {

int RunStatus(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  unsigned baud = LinkLifecycle::kDefaultBaudRate;
  if (!ParseBaud(args, baud)) return kExitUsage;
  if (args.size() != 1) {
    std::fprintf(stderr, "Usage: mirvo-cli status PORT [--baud B]\n");
    return kExitUsage;
  }

  CliLinkHost host;
  CliConnection connection(host);
  LinkLifecycle& lifecycle = connection.lifecycle;
  lifecycle.SetDeviceName(ResolvePortArgument(args[0]));
  lifecycle.SetBaudRate(baud);
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

const CliRegistration registration({"status", "PORT [--baud B]",
                                    "connect, read the instrument's status once, print it, disconnect", RunStatus});

}  // namespace
}  // namespace mirvo::cli
