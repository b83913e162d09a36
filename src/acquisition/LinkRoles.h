// The roles that the polling policy and the connection lifecycle ask of the panels and windows
// around them. A host implements the roles it has: a program without a trace viewer has no trace
// sink, a command that only reads the status has no logged series.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "protocol/RegisterImage.h"
#include "timesvc/StartTimeStamp.h"

namespace mirvo {

// The acquisition panel's "AUTO UPDATE" box: while checked the engine reads the spectrum memory
// without end.
class IAutoUpdate {
 public:
  virtual ~IAutoUpdate() = default;
  virtual bool AutoUpdate() const = 0;
  virtual void SetAutoUpdate(bool checked) = 0;
};

// The box on its own, for hosts without the acquisition panel.
class AutoUpdateFlag final : public IAutoUpdate {
 public:
  bool AutoUpdate() const override { return checked_; }
  void SetAutoUpdate(bool checked) override { checked_ = checked; }

 private:
  bool checked_ = true;
};

// A logged series as the replies drive it: the spectrum logger of the acquisition panel.
class ILoggedSeries {
 public:
  virtual ~ILoggedSeries() = default;
  virtual bool SeriesRunning() const = 0;
  virtual bool LoggingEnabled() const = 0;
  virtual int RunsCompleted() const = 0;
  virtual void SetRunsCompleted(int count) = 0;
  virtual int NumberOfRuns() const = 0;
  // The last run is saved: series not running, logging disabled, the panel shown again.
  virtual void EndSeries() = 0;
  // Connect and disconnect: the series is not running and ENABLE is cleared.
  virtual void StopLogging() = 0;
  // The live buffer as "<base>_%04d.mps".
  virtual void SaveLoggedRun(int runCounter) = 0;
  // Waits for the next even second and stamps it in the kind chosen for the series.
  virtual StampedStart StampLoggedRunStart() = 0;
  virtual void SetStartStampText(const std::string& text) = 0;
  // A run ended: real and live time from the image into the panel and the information pane.
  virtual void ShowRunTimes(const RegisterImage& image) = 0;
};

// The trace viewer as the replies and the lifecycle drive it.
class ITraceSink {
 public:
  virtual ~ITraceSink() = default;
  virtual bool TraceRunning() const = 0;
  virtual void SetTraceRunning(bool running) = 0;
  // 2 after a single-trace request (the first block is dropped), 1 when the next block is shown.
  virtual int SingleTracePending() const = 0;
  virtual void SetSingleTracePending(int count) = 0;
  virtual void ReleaseRunButton() = 0;                               // button up, caption "RUN"
  virtual void ShowTrace(std::span<const std::uint16_t> words) = 0;  // 512 words: 256 (analog, digital) pairs
  virtual void RefreshTraceControls() = 0;
  virtual void ResetTraceViewer() = 0;                               // stopped state
};

// What the windows and panels do at the steps of a connection; each hook does nothing unless a
// host has something to do there.
class IConnectionObserver {
 public:
  virtual ~IConnectionObserver() = default;
  // Connect begins (before the port is opened).
  virtual void OnConnecting() {}
  // A port was opened, for a connection or a probe: panels are no longer synchronised.
  virtual void OnPortOpened() {}
  // Connected and the first status read sent; `portName` as the captions show it.
  virtual void OnConnected(const std::string& portName) { (void)portName; }
  // The link was closed.
  virtual void OnLinkClosed() {}
};

}  // namespace mirvo
