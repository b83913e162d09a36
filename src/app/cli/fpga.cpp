// mirvo-cli fpga PORT upload|verify|configure [FILE] [--baud B]: the FPGA dialog's operations
// headless. Connects, pauses the link as the dialog does, runs the programmer on the event loop
// (port events and a 100 ms timer), prints the dialog's message lines and a progress line.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>

#include "app/cli/CliCommand.h"
#include "app/cli/CliOptions.h"
#include "app/cli/CliLinkHost.h"
#include "fpga/DesignToolSession.h"
#include "fpga/FpgaProgrammer.h"
#include "fpga/SerialFlashPort.h"

namespace mirvo::cli {
namespace {

std::atomic<bool> interrupted{false};
void OnInterrupt(int) { interrupted = true; }

// Message lines on stdout, boxes on stderr, and the progress line: rewritten in place on a
// terminal, one line per tenth of the file otherwise.
class CliFpgaListener final : public fpga::IFpgaListener {
 public:
  CliFpgaListener(fpga::DesignToolSession& session, bool terminal) : session_(session), terminal_(terminal) {}

  void OnMessage(const std::string& line) override {
    EndProgressLine();
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  void ShowError(const std::string& text) override {
    EndProgressLine();
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  void OnProgressRange(std::uint64_t length, std::uint64_t) override { length_ = length; }
  void OnProgress(std::uint64_t position) override {
    if (!busy_ || position == 0 || length_ == 0) return;
    const unsigned percent = static_cast<unsigned>(std::min<std::uint64_t>(100, position * 100 / length_));
    if (terminal_) {
      std::printf("\r%llu of %llu bytes (%3u %%)", static_cast<unsigned long long>(position),
                  static_cast<unsigned long long>(length_), percent);
      inPlace_ = true;
    } else {
      if (percent / 10 <= lastDecile_) return;
      lastDecile_ = percent / 10;
      std::printf("%llu of %llu bytes (%u %%)\n", static_cast<unsigned long long>(position),
                  static_cast<unsigned long long>(length_), percent);
    }
    std::fflush(stdout);
  }
  void OnBusyChanged(bool busy) override {
    busy_ = busy;
    lastDecile_ = 0;
  }
  void KeepPortInUse() override { session_.KeepPortInUse(); }

 private:
  void EndProgressLine() {
    if (!inPlace_) return;
    std::printf("\n");
    inPlace_ = false;
  }

  fpga::DesignToolSession& session_;
  bool terminal_;
  bool busy_ = false;
  bool inPlace_ = false;
  unsigned lastDecile_ = 0;
  std::uint64_t length_ = 0;
};

struct FpgaArguments {
  std::string port;
  std::string operation;
  std::string file;
  unsigned baud = LinkLifecycle::kDefaultBaudRate;
};

int RunFpga(const FpgaArguments& args) {
  const std::string& operation = args.operation;
  const bool withFile = operation == "upload" || operation == "verify";
  if (withFile && args.file.empty()) return UsageError(operation + " needs the design FILE");
  if (!withFile && !args.file.empty()) return UsageError("configure takes no FILE");

  CliLinkHost host;
  CliConnection connection(host);
  LinkLifecycle& lifecycle = connection.lifecycle;
  lifecycle.SetDeviceName(ResolvePortArgument(args.port));
  lifecycle.SetBaudRate(args.baud);
  if (!lifecycle.ConnectHardware()) {
    host.DumpLog(stderr);
    return kExitFailure;
  }
  lifecycle.Policy().AutoUpdateSwitch().SetAutoUpdate(false);  // the first status read only
  connection.loop.RunUntil([&] { return host.statusFolds > 0 || !lifecycle.Link().Connected(); });

  fpga::DesignToolSession session(lifecycle);
  if (host.statusFolds == 0 || !session.Begin()) {
    host.DumpLog(stderr);
    lifecycle.DisconnectHardware();
    return kExitFailure;
  }
  CliFpgaListener listener(session, ::isatty(STDOUT_FILENO) == 1);
  fpga::SerialFlashPort port(session.Port());
  fpga::FpgaProgrammer programmer(port, listener);
  connection.loop.RunUntil([&] {
    return session.TryTakePort([&](std::uintptr_t events) { programmer.OnPortEvent(events); }) || session.LinkLost();
  });
  if (!session.Holding()) {
    host.DumpLog(stderr);
    return kExitFailure;
  }
  const int timer = connection.loop.SetTimer(fpga::FpgaProgrammer::kTimerPeriodMs, [&] { programmer.OnTimerTick(); });
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);

  bool started = false;
  if (operation == "upload") started = programmer.Upload(args.file);
  else if (operation == "verify") started = programmer.Verify(args.file);
  else started = programmer.Configure();
  if (started) connection.loop.RunUntil([&] { return !programmer.Busy() || interrupted; });
  if (programmer.Busy()) programmer.Stop();

  connection.loop.KillTimer(timer);
  session.Release();
  lifecycle.DisconnectHardware();
  return fpga::FpgaProgrammer::Succeeded(programmer.Outcome()) ? kExitOk : kExitFailure;
}

std::function<int()> DefineFpga(CLI::App& command) {
  auto args = std::make_shared<FpgaArguments>();
  AddPortArgument(command, args->port);
  command.add_option("upload|verify|configure", args->operation, "upload or verify FILE, or configure the FPGA from the flash")
      ->required()
      ->check(OneOf({"upload", "verify", "configure"}));
  command.add_option("FILE", args->file, "the design file (.mbf) of upload and verify");
  AddBaudOption(command, args->baud);
  return [args] { return RunFpga(*args); };
}

const CliRegistration registration(
    {"fpga", "upload a design into the FPGA flash, verify it, or configure the FPGA from it", DefineFpga});

}  // namespace
}  // namespace mirvo::cli
