// The link host of the command-line tool: the panels are plain state, log lines go to the output log
// model (and, when asked, to a stream as they come), message boxes go to stderr.
#pragma once

#include <cstdio>
#include <string>

#include "link/LinkLifecycle.h"
#include "link/PortEnumerator.h"
#include "shell/EventLoop.h"
#include "shell/OutputLog.h"

namespace mirvo::cli {

class CliLinkHost final : public LinkHostState {
 public:
  explicit CliLinkHost(std::FILE* echo = nullptr) : echo_(echo) {}

  void AddLine(const std::string& line) override {
    log.AddLine(line);
    if (echo_) {
      std::fprintf(echo_, "%s\n", log.Line(log.Size() - 1).c_str());
      std::fflush(echo_);
    }
  }
  void ShowError(const std::string& message) override {
    errors.push_back(message);
    AddLine(message);
  }
  void RefreshPanelsFromImage() override { ++statusFolds; }
  // Prints every log line that has not been echoed yet (used on failure).
  void DumpLog(std::FILE* out) const {
    for (const auto& entry : log.Entries()) std::fprintf(out, "%s\n", entry.text.c_str());
  }

  OutputLog log;
  std::vector<std::string> errors;
  int statusFolds = 0;

 private:
  std::FILE* echo_;
};

// A connection driven by the headless loop: port events and the 200 ms tick wired to the lifecycle.
struct CliConnection {
  explicit CliConnection(ILinkHost& host) : lifecycle(host, loop) {
    loop.SetMessageHandler([this](unsigned, std::uintptr_t wParam, std::intptr_t) { lifecycle.OnSerialEvent(wParam); });
    loop.SetTimer(200, [this] { lifecycle.OnCommTimer(); });
  }
  EventLoop loop;
  LinkLifecycle lifecycle;
};

// A port given as a path opens that path; a bare port name ("ttyUSB0", "ttyKV1") is looked up as
// the enumeration names it (the simulator's link, else /dev/<name>).
inline std::string ResolvePortArgument(const std::string& port) {
  return port.find('/') != std::string::npos ? port : DeviceNameForPort(port);
}

// Parses --baud B (default 921600); false and a message on a bad value.
bool ParseBaud(std::vector<std::string>& args, unsigned& baud);

}  // namespace mirvo::cli
