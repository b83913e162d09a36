// The history of a long measurement: a sample from each status read of a running acquisition
// (rates, dead time, temperature) and from each timer tick (the ROI under the cursor of S1 and the
// FOM), kept with bounded memory; during a logged series also one point per run, the run's means.
// It joins the register-refresh chain after the panels; the window calls OnTick from its timer.
#pragma once

#include <cstdint>
#include <functional>

#include "acquisition/AcquisitionPanel.h"
#include "acquisition/LinkMembership.h"
#include "acquisition/LoggedSeries.h"
#include "acquisition/RegisterRefreshChain.h"
#include "base/Clock.h"
#include "monitor/HistoryBuffer.h"
#include "protocol/RegisterImage.h"
#include "records/SpectrumRecord.h"

namespace mirvo {

class SpectrumPlot;

// What a status read tells the history.
struct HistoryStatus {
  bool running = false;  // the run bit
  double realSeconds = 0.0;
  double liveSeconds = 0.0;
  double incomingRate = 0.0;    // cps
  double throughputRate = 0.0;  // cps
  double deadPercent = 0.0;
  double temperature = 0.0;     // degrees Celsius
  bool seriesRunning = false;
  int runsCompleted = 0;
};
HistoryStatus StatusFromRecord(const SpectrumRecord& live, double samplePeriodUs, const ILoggedSeries* series);

// What a timer tick tells: NaN for what cannot be computed (no ROI at the cursor, no peak, no FOM).
struct HistoryPeak {
  double centroid;
  double fwhm;
  double netAreaRate;
  double fom;
};
// The ROI under the cursor of `s1` (its soft counts) and the FOM of `s0`; the rate per second of
// `liveSeconds`.
HistoryPeak PeakFromPlots(SpectrumPlot& s1, const SpectrumPlot& s0, double liveSeconds);

class HistoryRecorder final : public IRegisterRefresh {
 public:
  HistoryRecorder(IAcquisitionHost& host, const IClock& clock, const HistoryBuffer::Limits& limits = {});
  HistoryRecorder(const HistoryRecorder&) = delete;
  HistoryRecorder& operator=(const HistoryRecorder&) = delete;

  // Joins the refresh chain after the panels; `series` is the logger (the acquisition panel) or null.
  void Attach(LinkLifecycle& lifecycle, const ILoggedSeries* series);

  // --- IRegisterRefresh: a status read was folded into the live record
  void RefreshFromImage() override;
  // The 200 ms tick: the ROI and the FOM, while an acquisition runs.
  void OnTick(SpectrumPlot& s1, const SpectrumPlot& s0);

  // The steps with their values (the two above read them from the host and the plots).
  void OnStatus(const HistoryStatus& status);
  void OnPeak(const HistoryPeak& peak);
  // The runs the logger has counted since the last status read (the last run of a series is
  // counted after it). OnTick does it too.
  void CatchUpSeries();
  void Clear();

  // The running acquisition: one sample per status read and per tick.
  const HistoryBuffer& Run() const { return run_; }
  // The logged series: one point per run, at the time the run was counted.
  const HistoryBuffer& Series() const { return series_; }
  // UTC milliseconds of time 0 of each.
  std::int64_t RunOriginMs() const { return runOriginMs_; }
  std::int64_t SeriesOriginMs() const { return seriesOriginMs_; }
  bool Recording() const { return running_; }

 private:
  double SecondsSince(std::int64_t originMs) const;
  void FollowSeries(bool seriesRunning, int runsCompleted);
  void AddRunSample(const HistoryValues& values);
  void AddSeriesPoint();

  IAcquisitionHost& host_;
  const IClock& clock_;
  const ILoggedSeries* logger_ = nullptr;
  LinkMembership membership_;
  HistoryBuffer run_;
  HistoryBuffer series_;
  std::int64_t runOriginMs_ = 0;
  std::int64_t seriesOriginMs_ = 0;
  bool running_ = false;          // the last status read showed the run bit
  double lastRealSeconds_ = 0.0;  // of the last running status read
  double liveSeconds_ = 0.0;
  bool seriesActive_ = false;
  int lastCompleted_ = 0;
  std::array<HistoryStat, kHistoryQuantities> thisRun_{};  // since the last series point
};

}  // namespace mirvo
