// A logged series as the replies drive it: the spectrum logger of the acquisition panel.
#pragma once

#include <string>

#include "protocol/RegisterImage.h"
#include "timesvc/StartTimeStamp.h"

namespace mirvo {

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

}  // namespace mirvo
