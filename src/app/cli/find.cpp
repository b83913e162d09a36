// mirvo-cli find [--log]: probes every serial port as the port finder does and prints each
// instrument that answered as "<display text> -> SN: %05u".
#include <cstdio>
#include <memory>

#include "app/cli/CliCommand.h"
#include "app/cli/CliLinkHost.h"
#include "acquisition/PortFinder.h"

namespace mirvo::cli {
namespace {

// The finder's dialog for the headless loop: its own timer, pumping, the port list of this machine.
class CliFinderHost final : public IPortFinderHost {
 public:
  CliFinderHost(EventLoop& loop, CliLinkHost& linkHost) : loop_(loop), linkHost_(linkHost) {}
  void SetFinder(PortFinder* finder) { finder_ = finder; }

  std::vector<PortListEntry> Ports() override { return EnumeratePorts(); }
  bool StartTickTimer(int periodMs) override {
    timer_ = loop_.SetTimer(periodMs, [this] { finder_->OnTick(); });
    return true;
  }
  void StopTickTimer() override { loop_.KillTimer(timer_); }
  void ProcessPendingMessages() override { loop_.ProcessPendingMessages(); }
  void PumpUntil(const std::function<bool()>& done) override { loop_.RunUntil(done); }
  std::uint16_t SerialNumber() override { return linkHost_.status.serialnumber; }

 private:
  EventLoop& loop_;
  CliLinkHost& linkHost_;
  PortFinder* finder_ = nullptr;
  int timer_ = 0;
};

int RunFind(bool log) {
  CliLinkHost linkHost(log ? stderr : nullptr);
  EventLoop loop;
  LinkLifecycle lifecycle(linkHost, linkHost, linkHost.memory, loop);
  CliFinderHost finderHost(loop, linkHost);
  PortFinder finder(lifecycle, finderHost, loop);
  finderHost.SetFinder(&finder);
  loop.SetMessageHandler([&](unsigned, std::uintptr_t wParam, std::intptr_t) { finder.OnSerialEvent(wParam); });

  PrepareAutoConnect(lifecycle);
  finder.Find();
  for (const FoundInstrument& instrument : finder.Found()) std::printf("%s\n", instrument.text.c_str());
  if (finder.Found().empty()) {
    std::fprintf(stderr, "%s\n", finder.StatusText().c_str());
    // A port that could not even be opened may hold the instrument: say which, and why.
    for (const std::string& unopened : finder.Unopened()) std::fprintf(stderr, "not probed: %s\n", unopened.c_str());
    return kExitFailure;
  }
  return kExitOk;
}

std::function<int()> DefineFind(CLI::App& command) {
  auto log = std::make_shared<bool>(false);
  command.add_flag("--log", *log, "print the log lines of the probes on stderr");
  return [log] { return RunFind(*log); };
}

const CliRegistration registration({"find",
                                    "probe every serial port for the instrument and list each one with its serial "
                                    "number",
                                    DefineFind});

}  // namespace
}  // namespace mirvo::cli
