// The program's acquisition side against the in-process simulator: the panel with its logger, the
// engine and the connection lifecycle on the headless loop. The simulator runs fast (--speed); the
// start stamps wait on a fake clock, the engine's pauses on a fake sleeper, so nothing waits for real.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "FakeClock.h"
#include "ScriptedDialogs.h"
#include "acquisition/AcquisitionLinkHost.h"
#include "acquisition/LoggedRunSaver.h"
#include "lib/Simulator.h"
#include "link/LinkLifecycle.h"
#include "shell/EventLoop.h"

namespace mirvo::test {

class AcquisitionRig {
 public:
  static constexpr int kGuardMs = 20000;  // against a hung test only

  explicit AcquisitionRig(kvetral::SimOptions options = {}) {
    host.SetPanel(&panel);
    panel.SetLink(&lifecycle.Link());
    panel.Initialise();
    loop.SetMessageHandler([this](unsigned, std::uintptr_t wParam, std::intptr_t) { lifecycle.OnSerialEvent(wParam); });
    loop.SetTimer(200, [this] { lifecycle.OnCommTimer(); });
    sim = std::make_unique<kvetral::Simulator>(options);
    std::string error;
    started = sim->Start(&error);
    EXPECT_TRUE(started) << error;
    lifecycle.SetDeviceName(sim->DevicePath());
  }
  ~AcquisitionRig() {
    if (lifecycle.Link().Connected()) {
      panel.StopLogging();
      lifecycle.DisconnectHardware();
    }
  }

  // Processes events until `done` (false when the guard ran out first).
  bool RunUntil(const std::function<bool()>& done, int guardMs = kGuardMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(guardMs);
    loop.RunUntil([&] { return done() || std::chrono::steady_clock::now() > deadline; });
    return done();
  }
  bool WaitForStatus() {
    const int folds = host.statusFolds;
    return RunUntil([&] { return host.statusFolds > folds; });
  }
  // Connects and waits for the first status read to be shown.
  bool Connect() { return lifecycle.ConnectHardware() && WaitForStatus() && panel.Synchronised(); }
  // RESET while stopped, until a status read shows the times cleared.
  bool ResetAndWait() {
    panel.ResetAcquisition();
    return RunUntil([&] { return panel.RealTime() == 0.0 && !host.record.registers.Running(); });
  }
  std::vector<std::string> LogTexts() const {
    std::vector<std::string> texts;
    for (const auto& entry : host.log.Entries()) texts.push_back(entry.text.substr(entry.text.find(">> ") + 3));
    return texts;
  }

  FakeClock stampClock{UtcMillisecondsFromCivil({2026, 12, 9, 10, 0, 0, 500})};
  FakeSleeper stampSleeper{&stampClock};
  FakeSleeper linkSleeper;
  ScriptedDialogs dialogs;
  AcquisitionLinkHost host{stampClock};
  EventLoop loop;
  LinkLifecycle lifecycle{host, loop, linkSleeper};
  AcquisitionPanel panel{host, {host.startTime, dialogs, stampClock, stampSleeper}, dialogs, dialogs};
  std::unique_ptr<kvetral::Simulator> sim;
  bool started = false;
};

}  // namespace mirvo::test
