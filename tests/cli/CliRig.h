// mirvo-cli as people run it, for tests: the built executable as a child process, a private
// virtual-port folder (XDG_RUNTIME_DIR under the build folder, one per test process), a scratch
// folder, and the in-process simulator with its link ttyKV<serial> in that folder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "Subprocess.h"
#include "lib/Simulator.h"
#include "link/PortEnumerator.h"

namespace mirvo::test {

namespace fs = std::filesystem;

// Until the instrument runs (the acquisition has started); false when the guard passes first.
inline bool WaitUntilRunning(kvetral::Simulator& sim) {
  for (int i = 0; i < 1000; ++i) {
    if (sim.Register(0x10) & 1u) return true;
    ::usleep(10000);
  }
  return false;
}

class CliTest : public ::testing::Test {
 protected:
  // Instrument seconds per real second: a 2 s preset lasts a tenth of a second.
  static constexpr double kSimulatorSpeed = 20;

  void SetUp() override {
    runtime_ = fs::path(MIRVO_TEST_RUNTIME_ROOT) / ("cli-" + std::to_string(::getpid()));
    fs::remove_all(runtime_);
    fs::create_directories(runtime_ / "scratch");
    // The simulator's link and the child's port lookup both go to this folder.
    ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
  }
  void TearDown() override {
    sim_.reset();
    std::error_code ec;
    fs::remove_all(runtime_, ec);
  }

  // Starts the simulator with its link in the private virtual-port folder.
  kvetral::Simulator& StartSimulator(kvetral::SimOptions options = {}) {
    if (options.speed == 1.0) options.speed = kSimulatorSpeed;
    options.link = VirtualPortFolder() + "/ttyKV" + std::to_string(options.serial);
    sim_ = std::make_unique<kvetral::Simulator>(options);
    std::string error;
    EXPECT_TRUE(sim_->Start(&error)) << error;
    return *sim_;
  }
  kvetral::Simulator& Sim() { return *sim_; }

  // Runs mirvo-cli to its end.
  static RunResult Cli(const std::vector<std::string>& args) { return RunProgram(MIRVO_CLI_EXECUTABLE, args); }

  // A path in the scratch folder (the folder is empty at the start of each test).
  std::string Scratch(const std::string& name) const { return (runtime_ / "scratch" / name).string(); }
  std::vector<std::string> ScratchEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(runtime_ / "scratch"))
      names.push_back(fs::relative(entry.path(), runtime_ / "scratch").string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Acquires one BUFFER set with `acquire` into `path`; the test fails if it does not succeed.
  void Acquire(const std::string& path, std::int64_t presetSeconds = 2) {
    const RunResult run = Cli({"acquire", Sim().DevicePath(), "--preset", std::to_string(presetSeconds), "-o", path});
    ASSERT_EQ(run.status, 0) << run.err;
  }

 private:
  fs::path runtime_;
  std::unique_ptr<kvetral::Simulator> sim_;
};

// The lines of a program's output; a carriage return (progress overwriting itself) ends a line too.
inline std::vector<std::string> OutputLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      if (!line.empty()) lines.push_back(line);
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

inline bool HasLine(const std::string& text, const std::string& line) {
  for (const auto& l : OutputLines(text))
    if (l == line) return true;
  return false;
}

}  // namespace mirvo::test
