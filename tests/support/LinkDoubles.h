// Test doubles of the roles around the engine: a host that records what it is told and holds the
// live record, a scripted logged series, a message target and a supervisor that do nothing.
#pragma once

#include <string>
#include <vector>

#include "acquisition/LinkLifecycle.h"
#include "acquisition/AutoUpdate.h"
#include "acquisition/ConnectionObserver.h"
#include "acquisition/LoggedSeries.h"
#include "acquisition/TraceSink.h"
#include "acquisition/RegisterRefreshChain.h"
#include "NullTarget.h"
#include "link/MessageTarget.h"
#include "protocol/CHardwareLink.h"
#include "protocol/LiveRecord.h"
#include "protocol/Reporter.h"

namespace mirvo::test {

// Log lines, message boxes, the live image with its refresh-enable flag, the last status block, the
// spectrum memory, and the status folds (once joined to a refresh chain).
class RecordingLinkHost : public IReporter, public ILiveRecord, public IRegisterRefresh {
 public:
  void AddLine(const std::string& line) override { lines.push_back(line); }
  void ShowError(const std::string& message) override { errors.push_back(message); }
  RegisterImage& Image() override { return image; }
  int RefreshEnable() const override { return refreshEnable; }
  void SetRefreshEnable(int value) override { refreshEnable = value; }
  void StoreStatus(const packet::StatusBlock& block) override { status = block; }
  void RefreshFromImage() override { ++refreshes; }

  std::vector<std::string> lines;
  std::vector<std::string> errors;
  RegisterImage image;
  int refreshEnable = 0;
  packet::StatusBlock status;
  SpectrumMemory memory;
  int refreshes = 0;
};

// A lifecycle over the recording host, the host counting folds after the panels.
class RecordedLifecycle : public LinkLifecycle {
 public:
  RecordedLifecycle(RecordingLinkHost& host, IMessageTarget& events, ISleeper& sleeper = DefaultSleeper())
      : LinkLifecycle(host, host, host.memory, events, sleeper) {
    RefreshChain().Join(RegisterRefreshChain::Rank::kAfterPanels, host);
  }
  IAutoUpdate& AutoUpdateBox() { return Policy().AutoUpdateSwitch(); }
};

// A logged series whose state the test sets; saved runs and stamps are recorded.
class ScriptedSeries final : public ILoggedSeries {
 public:
  bool SeriesRunning() const override { return running; }
  bool LoggingEnabled() const override { return enabled; }
  int RunsCompleted() const override { return completed; }
  void SetRunsCompleted(int count) override { completed = count; }
  int NumberOfRuns() const override { return runs; }
  void EndSeries() override { running = enabled = false; }
  void StopLogging() override { running = enabled = false; }
  void SaveLoggedRun(int runCounter) override { saved.push_back(runCounter); }
  StampedStart StampLoggedRunStart() override { return {}; }
  void SetStartStampText(const std::string& text) override { startText = text; }
  void ShowRunTimes(const RegisterImage&) override { ++runTimesShown; }

  bool running = false;
  bool enabled = false;
  int completed = 0;
  int runs = 0;
  std::vector<int> saved;
  std::string startText;
  int runTimesShown = 0;
};

// A trace viewer whose state the test sets; shown traces and released buttons are recorded.
class ScriptedTraceSink final : public ITraceSink {
 public:
  bool TraceRunning() const override { return running; }
  void SetTraceRunning(bool value) override { running = value; }
  int SingleTracePending() const override { return singlePending; }
  void SetSingleTracePending(int count) override { singlePending = count; }
  void ReleaseRunButton() override { ++releases; }
  void ShowTrace(std::span<const std::uint16_t> words) override { shown.emplace_back(words.begin(), words.end()); }
  void RefreshTraceControls() override { ++controlRefreshes; }
  void ResetTraceViewer() override { running = false; }

  bool running = false;
  int singlePending = 0;
  int releases = 0;
  int controlRefreshes = 0;
  std::vector<std::vector<std::uint16_t>> shown;
};

class NullSupervisor final : public ILinkSupervisor {
 public:
  bool PortInUse() const override { return true; }
  void CloseHardwareLink() override {}
};

}  // namespace mirvo::test
