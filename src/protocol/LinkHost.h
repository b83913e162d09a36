// What the transaction engine and the connection lifecycle need from the rest of the program:
// the live record, the acquisition panel's flags, the trace viewer, the logger, panel refreshes,
// message boxes and log lines. LinkHostState is the least of it, for the command-line tool and tests;
// the main window overrides what its panels own.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "protocol/Packets.h"
#include "protocol/RegisterImage.h"

namespace mirvo {

// Start stamp of a logged run: packed registers 0x16/0x17 and the text the acquisition panel shows.
struct StartStamp {
  std::uint16_t date = 0;
  std::uint16_t time = 0;
  std::string text;
};

class ILinkHost {
 public:
  virtual ~ILinkHost() = default;

  // Reporting.
  virtual void AddLine(const std::string& line) = 0;           // output log
  virtual void ShowError(const std::string& message) = 0;      // error message box

  // The live record (BUFFER record of S0) and the spectrum memory.
  virtual RegisterImage& LiveImage() = 0;
  virtual int RefreshEnable() const = 0;
  virtual void SetRefreshEnable(int value) = 0;
  virtual void StoreStatus(const packet::StatusBlock& status) = 0;
  virtual unsigned ChannelCount() const = 0;                   // N, 4096 for the live record
  virtual SpectrumMemory& Memory() = 0;
  virtual double SamplePeriodUs() const = 0;                   // P, 0.008 at start

  // Acquisition panel.
  virtual bool AutoUpdate() const = 0;
  virtual void SetAutoUpdate(bool checked) = 0;
  virtual void SetRealLiveTime(double realSeconds, double liveSeconds) = 0;  // values, texts, info pane, refresh
  virtual void SetStartTimeText(const std::string& text) = 0;
  virtual void RefreshPanelsFromImage() = 0;  // acquisition, amplifier, pulse-shape, shaper, register debugger
  virtual void RefreshAcquisitionPanel() = 0;

  // Spectrum logger.
  virtual bool LoggedSeriesRunning() const = 0;
  virtual void SetLoggedSeriesRunning(bool running) = 0;
  virtual bool LoggingEnabled() const = 0;
  virtual void SetLoggingEnabled(bool enabled) = 0;
  virtual int RunCounter() const = 0;
  virtual void SetRunCounter(int count) = 0;
  virtual int NumberOfRuns() const = 0;
  virtual void SaveLoggedRun(int runCounter) = 0;  // the live buffer as "<base>_%04d.mps"
  // Waits for the next even second and stamps it in the kind chosen for the series.
  virtual StartStamp StampLoggedRunStart() = 0;

  // Trace viewer.
  virtual bool TraceViewerRunning() const = 0;
  virtual void SetTraceViewerRunning(bool running) = 0;
  virtual int SingleTracePending() const = 0;
  virtual void SetSingleTracePending(int count) = 0;
  virtual void ReleaseTraceRunButton() = 0;                         // button up, caption "RUN"
  virtual void ShowTrace(std::span<const std::uint16_t> words) = 0;  // 512 words: 256 (analog, digital) pairs
  virtual void RefreshTraceControls() = 0;
  virtual void ResetTraceViewer() = 0;                              // stopped state

  // Connection lifecycle.
  virtual void ResetStartTimeSelection() = 0;  // ask for the start-time kind again at the next start
  virtual void ClearReadyMarkers() = 0;        // trace viewer, acquisition, amplifier, pulse-shape, shaper (two)
  virtual void ResetShaperRemembered() = 0;    // the shaper panel's two remembered values := -100
  virtual void SetConnectedCaptions(const std::string& portName) = 0;  // "S%d: <caption> @ <port>"
  virtual void RefreshSpectrumCaptions() = 0;
  virtual void ShowConnectedPanes() = 0;
  virtual void Redraw() = 0;
};

// Plain state standing in for the panels that a host does not have; every hook is a no-op.
class LinkHostState : public ILinkHost {
 public:
  void AddLine(const std::string&) override {}
  void ShowError(const std::string&) override {}

  RegisterImage& LiveImage() override { return image; }
  int RefreshEnable() const override { return refreshEnable; }
  void SetRefreshEnable(int value) override { refreshEnable = value; }
  void StoreStatus(const packet::StatusBlock& value) override { status = value; }
  unsigned ChannelCount() const override { return 4096; }
  SpectrumMemory& Memory() override { return memory; }
  double SamplePeriodUs() const override { return samplePeriodUs; }

  bool AutoUpdate() const override { return autoUpdate; }
  void SetAutoUpdate(bool checked) override { autoUpdate = checked; }
  void SetRealLiveTime(double realSeconds, double liveSeconds) override {
    realTime = realSeconds;
    liveTime = liveSeconds;
  }
  void SetStartTimeText(const std::string& text) override { startTimeText = text; }
  void RefreshPanelsFromImage() override {}
  void RefreshAcquisitionPanel() override {}

  bool LoggedSeriesRunning() const override { return loggedSeriesRunning; }
  void SetLoggedSeriesRunning(bool running) override { loggedSeriesRunning = running; }
  bool LoggingEnabled() const override { return loggingEnabled; }
  void SetLoggingEnabled(bool enabled) override { loggingEnabled = enabled; }
  int RunCounter() const override { return runCounter; }
  void SetRunCounter(int count) override { runCounter = count; }
  int NumberOfRuns() const override { return numberOfRuns; }
  void SaveLoggedRun(int) override {}
  StartStamp StampLoggedRunStart() override { return {}; }

  bool TraceViewerRunning() const override { return traceViewerRunning; }
  void SetTraceViewerRunning(bool running) override { traceViewerRunning = running; }
  int SingleTracePending() const override { return singleTracePending; }
  void SetSingleTracePending(int count) override { singleTracePending = count; }
  void ReleaseTraceRunButton() override {}
  void ShowTrace(std::span<const std::uint16_t>) override {}
  void RefreshTraceControls() override {}
  void ResetTraceViewer() override { traceViewerRunning = false; }

  void ResetStartTimeSelection() override {}
  void ClearReadyMarkers() override {}
  void ResetShaperRemembered() override {}
  void SetConnectedCaptions(const std::string&) override {}
  void RefreshSpectrumCaptions() override {}
  void ShowConnectedPanes() override {}
  void Redraw() override {}

  RegisterImage image;
  SpectrumMemory memory;
  packet::StatusBlock status;
  int refreshEnable = 0;
  double samplePeriodUs = 0.008;
  bool autoUpdate = true;
  double realTime = 0.0;
  double liveTime = 0.0;
  std::string startTimeText;
  bool loggedSeriesRunning = false;
  bool loggingEnabled = false;
  int runCounter = 0;
  int numberOfRuns = 0;
  bool traceViewerRunning = false;
  int singleTracePending = 0;
};

}  // namespace mirvo
