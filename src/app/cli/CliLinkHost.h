// The link host of the commands that only talk to the engine (status, poll, find): log lines go to
// the output log model (and, when asked, to a stream as they come), message boxes go to the log, the
// live record is a bare register image.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "acquisition/LinkLifecycle.h"
#include "link/PortEnumerator.h"
#include "shell/HeadlessHost.h"
#include "shell/OutputLog.h"

namespace mirvo::cli {

class CliLinkHost final : public IReporter, public ILiveRecord, public IRegisterRefresh {
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
  RegisterImage& Image() override { return image; }
  int RefreshEnable() const override { return refreshEnable; }
  void SetRefreshEnable(int value) override { refreshEnable = value; }
  void StoreStatus(const packet::StatusBlock& block) override { status = block; }
  void RefreshFromImage() override { ++statusFolds; }

  // Prints every log line that has not been echoed yet (used on failure).
  void DumpLog(std::FILE* out) const {
    for (const auto& entry : log.Entries()) std::fprintf(out, "%s\n", entry.text.c_str());
  }

  OutputLog log;
  std::vector<std::string> errors;
  RegisterImage image;
  int refreshEnable = 0;
  packet::StatusBlock status;
  SpectrumMemory memory;
  int statusFolds = 0;

 private:
  std::FILE* echo_;
};

// A connection of the bare host on the headless loop.
struct CliConnection : HeadlessConnection {
  explicit CliConnection(CliLinkHost& host) : HeadlessConnection(host, host, host.memory, host) {}
};

// A port given as a path opens that path; a bare port name ("ttyUSB0", "ttyKV1") is looked up as
// the enumeration names it (the simulator's link, else /dev/<name>).
inline std::string ResolvePortArgument(const std::string& port) {
  return port.find('/') != std::string::npos ? port : DeviceNameForPort(port);
}

}  // namespace mirvo::cli
