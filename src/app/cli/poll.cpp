// mirvo-cli poll PORT [--seconds S] [--baud B]: let the engine poll as with AUTO UPDATE checked and
// report what went over the line, including how close a full pass of the spectrum memory comes to
// the line-rate bound.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/cli/CliCommand.h"
#include "app/cli/CliOptions.h"
#include "base/TextFormat.h"
#include "app/cli/CliAcquisition.h"
#include "app/cli/CliLinkHost.h"

namespace mirvo::cli {
namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct PassMark {
  std::chrono::steady_clock::time_point when;
  std::uint64_t bytes;
};

// The longest poll: ten years (Ctrl+C ends one sooner).
constexpr double kMaxPollSeconds = 10 * 365 * 86400.0;

struct PollArguments {
  std::string port;
  std::string seconds = "20";
  unsigned baud = LinkLifecycle::kDefaultBaudRate;
};

int RunPoll(const PollArguments& args) {
  const unsigned baud = args.baud;
  const double seconds = ParseDouble(args.seconds.c_str(), nullptr);

  CliLinkHost host(stdout);
  CliConnection connection(host);
  LinkLifecycle& lifecycle = connection.lifecycle;
  CHardwareLink& link = lifecycle.Link();
  std::vector<PassMark> passes;
  lifecycle.Policy().SetChunkObserver([&](unsigned chunkStart) {
    if (chunkStart != 0) return;
    const auto& s = link.Statistics();
    passes.push_back({std::chrono::steady_clock::now(), s.bytesSent + s.bytesReceived});
  });

  lifecycle.SetDeviceName(ResolvePortArgument(args.port));
  lifecycle.SetBaudRate(baud);
  CliAcquisition::InstallInterruptHandler();
  const double cpuAtStart = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  if (!lifecycle.ConnectHardware()) return kExitFailure;

  const auto deadline = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                    std::chrono::duration<double>(seconds));
  connection.loop.RunUntil(
      [&] { return CliAcquisition::Interrupted() || !link.Connected() || std::chrono::steady_clock::now() >= deadline; });
  const bool lost = !link.Connected();
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = CpuSeconds() - cpuAtStart;
  if (!lost) lifecycle.DisconnectHardware();

  const LinkStatistics& s = link.Statistics();
  std::printf("transactions: %llu, repeats: %llu, bytes sent: %llu, bytes received: %llu\n",
              static_cast<unsigned long long>(s.requestsSent), static_cast<unsigned long long>(s.repeats),
              static_cast<unsigned long long>(s.bytesSent), static_cast<unsigned long long>(s.bytesReceived));
  if (passes.size() >= 2) {
    const double period =
        std::chrono::duration<double>(passes.back().when - passes.front().when).count() / (passes.size() - 1);
    const double passBytes = static_cast<double>(passes.back().bytes - passes.front().bytes) / (passes.size() - 1);
    const double bound = passBytes / (baud / 10.0);
    std::printf("full pass: %.4f s, line-rate bound: %.4f s, ratio: %.3f\n", period, bound, period / bound);
  } else {
    std::printf("full pass: none completed\n");
  }
  std::printf("cpu: %.2f s in %.2f s, %.2f %% of one core\n", cpu, elapsed, elapsed > 0 ? 100.0 * cpu / elapsed : 0.0);
  return lost ? kExitFailure : kExitOk;
}

std::function<int()> DefinePoll(CLI::App& command) {
  auto args = std::make_shared<PollArguments>();
  AddPortArgument(command, args->port);
  command.add_option("--seconds", args->seconds, "how long to poll (default 20, at most 315360000: ten years)")
      ->type_name("S")
      ->check(Seconds(kMaxPollSeconds));
  AddBaudOption(command, args->baud);
  return [args] { return RunPoll(*args); };
}

const CliRegistration registration({"poll", "poll the instrument as with AUTO UPDATE and report the line use",
                                    DefinePoll});

}  // namespace
}  // namespace mirvo::cli
