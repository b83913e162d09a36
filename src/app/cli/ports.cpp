// mirvo-cli ports: one line per serial port present, display text and device name.
#include <cstdio>

#include "app/cli/CliCommand.h"
#include "link/PortEnumerator.h"

namespace mirvo::cli {
namespace {

int RunPorts() {
  const auto ports = EnumeratePorts();
  if (ports.empty()) {
    std::printf("no serial ports found\n");
    return kExitOk;
  }
  for (const auto& port : ports) std::printf("%s\t%s\n", port.friendlyName.c_str(), port.devicePath.c_str());
  return kExitOk;
}

std::function<int()> DefinePorts(CLI::App&) { return RunPorts; }

const CliRegistration registration({"ports", "list the serial ports: display text, a tab, device name", DefinePorts});

}  // namespace
}  // namespace mirvo::cli
