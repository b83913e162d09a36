// kvetral-sim: a simulated Kvetral spectrometer on a pseudo-terminal, linked into the virtual-port
// folder so that Mirvo-PSD finds it like a real instrument. Serves until SIGINT/SIGTERM.
#include <signal.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "lib/CommandLine.h"
#include "lib/Simulator.h"

namespace {

// One line per request: its bytes in upper-case hex, space-separated.
bool WriteTraffic(const std::string& path, const std::vector<std::vector<std::uint8_t>>& requests) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  for (const auto& request : requests) {
    for (std::size_t i = 0; i < request.size(); ++i) std::fprintf(file, i ? " %02X" : "%02X", request[i]);
    std::fputc('\n', file);
  }
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kvetral;
  CommandLine commandLine;
  std::string error;
  if (ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), &commandLine, &error) != 0) {
    std::fprintf(stderr, "kvetral-sim: %s\n%s", error.c_str(), UsageText().c_str());
    return kExitUsage;
  }
  if (commandLine.help) {
    std::printf("%s", UsageText().c_str());
    return 0;
  }
  // The serving thread inherits the blocked set; only this thread takes the signals.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  const SimOptions& o = commandLine.options;
  Simulator simulator(o);
  if (!simulator.Start(&error)) {
    std::fprintf(stderr, "kvetral-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("kvetral-sim: serial %05u on %s\n", static_cast<unsigned>(o.serial), simulator.DevicePath().c_str());
  std::printf("kvetral-sim: link %s\n", simulator.LinkPath().c_str());
  std::printf("kvetral-sim: source %s, %.0f events/s, FOM %.2f, speed x%g%s\n", o.source.c_str(), o.rate, o.fom,
              o.speed, o.baud ? (", " + std::to_string(o.baud) + " baud").c_str() : "");
  std::fflush(stdout);

  const timespec tick{0, 200 * 1000 * 1000};
  int received = -1;
  while (received < 0 && simulator.Serving()) received = sigtimedwait(&signals, nullptr, &tick);
  if (!simulator.Serving()) std::printf("kvetral-sim: the line closed (instrument unplugged)\n");
  simulator.Stop();
  if (!commandLine.traffic.empty() && !WriteTraffic(commandLine.traffic, simulator.RequestLog())) {
    std::fprintf(stderr, "kvetral-sim: cannot write the traffic log %s\n", commandLine.traffic.c_str());
    return 1;
  }
  std::printf("kvetral-sim: stopped\n");
  return 0;
}
