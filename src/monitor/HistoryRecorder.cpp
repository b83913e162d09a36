#include "monitor/HistoryRecorder.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "display/PeakAnalysis.h"
#include "display/SpectrumPlot.h"

namespace mirvo {

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
// Real time that goes back by more than this was reset: a new acquisition.
constexpr double kResetToleranceSeconds = 0.5;

}  // namespace

HistoryStatus StatusFromRecord(const SpectrumRecord& live, double samplePeriodUs, const ILoggedSeries* series) {
  const RegisterImage& image = live.registers;
  HistoryStatus status;
  status.running = image.Running();
  status.realSeconds = RealTimeSeconds(image, samplePeriodUs);
  status.liveSeconds = LiveTimeSeconds(image, samplePeriodUs);
  const double dead =
      status.realSeconds > 0 ? (status.realSeconds - status.liveSeconds) * 100.0 / status.realSeconds : 0.0;
  status.deadPercent = std::max(0.0, dead);
  const CountingRates rates = ComputeRates(image, samplePeriodUs);
  status.incomingRate = static_cast<double>(rates.incoming);
  status.throughputRate = static_cast<double>(rates.throughput);
  status.temperature = live.internalTemperature;
  if (series != nullptr) {
    status.seriesRunning = series->SeriesRunning();
    status.runsCompleted = series->RunsCompleted();
  }
  return status;
}

HistoryPeak PeakFromPlots(SpectrumPlot& s1, const SpectrumPlot& s0, double liveSeconds) {
  HistoryPeak peak{kNoValue, kNoValue, kNoValue, kNoValue};
  if (s1.Record().softCounts != nullptr && s1.FindRoiAtCursor()) {
    PeakResult result;
    const int found = AnalysePeak(s1, s1.RoiFirst(), s1.RoiLast(), result);
    if (found == kPeakFound) {
      peak.centroid = result.centroid;
      peak.fwhm = result.fwhm;
    }
    if (found != kPeakNone && liveSeconds > 0) peak.netAreaRate = std::max(0.0, result.area) / liveSeconds;
  }
  if (s0.Record().softCounts != nullptr) {
    const FomResult fom = ComputeFom(s0);
    if (fom.status == 0) peak.fom = fom.fom;
  }
  return peak;
}

HistoryRecorder::HistoryRecorder(IAcquisitionHost& host, const IClock& clock, const HistoryBuffer::Limits& limits)
    : host_(host), clock_(clock), run_(limits), series_(limits) {}

void HistoryRecorder::Attach(LinkLifecycle& lifecycle, const ILoggedSeries* series) {
  logger_ = series;
  membership_.Join(lifecycle, RegisterRefreshChain::Rank::kAfterPanels, *this, nullptr);
}

void HistoryRecorder::RefreshFromImage() { OnStatus(StatusFromRecord(host_.LiveRecord(), host_.SamplePeriodUs(), logger_)); }

void HistoryRecorder::OnTick(SpectrumPlot& s1, const SpectrumPlot& s0) {
  CatchUpSeries();
  if (!running_) return;
  OnPeak(PeakFromPlots(s1, s0, liveSeconds_));
}

double HistoryRecorder::SecondsSince(std::int64_t originMs) const {
  return static_cast<double>(clock_.UtcMilliseconds() - originMs) / 1000.0;
}

void HistoryRecorder::CatchUpSeries() {
  if (logger_ != nullptr) FollowSeries(logger_->SeriesRunning(), logger_->RunsCompleted());
}

void HistoryRecorder::FollowSeries(bool seriesRunning, int runsCompleted) {
  // A series begins: its points start afresh.
  if (seriesRunning && !seriesActive_) {
    seriesActive_ = true;
    series_.Clear();
    seriesOriginMs_ = clock_.UtcMilliseconds();
    lastCompleted_ = runsCompleted;
    thisRun_ = {};
  }
  // Runs counted since the last look (the last one also after the series has ended).
  if (seriesActive_) {
    if (runsCompleted > lastCompleted_) AddSeriesPoint();
    lastCompleted_ = runsCompleted;
    if (!seriesRunning) seriesActive_ = false;
  }
}

void HistoryRecorder::OnStatus(const HistoryStatus& status) {
  FollowSeries(status.seriesRunning, status.runsCompleted);
  running_ = status.running;
  if (!running_) return;
  liveSeconds_ = status.liveSeconds;
  // Real time that went back is a new acquisition, except between the runs of a series.
  const bool reset = status.realSeconds + kResetToleranceSeconds < lastRealSeconds_;
  const bool laterRunOfSeries = seriesActive_ && lastCompleted_ > 0;
  if (run_.Empty() || (reset && !laterRunOfSeries)) {
    run_.Clear();
    runOriginMs_ = clock_.UtcMilliseconds();
    thisRun_ = {};
  }
  lastRealSeconds_ = status.realSeconds;

  HistoryValues values = NoHistoryValues();
  values[Index(HistoryQuantity::kIncomingRate)] = status.incomingRate;
  values[Index(HistoryQuantity::kThroughputRate)] = status.throughputRate;
  values[Index(HistoryQuantity::kDeadTime)] = status.deadPercent;
  values[Index(HistoryQuantity::kTemperature)] = status.temperature;
  AddRunSample(values);
}

void HistoryRecorder::OnPeak(const HistoryPeak& peak) {
  if (!running_ || run_.Empty()) return;
  HistoryValues values = NoHistoryValues();
  values[Index(HistoryQuantity::kCentroid)] = peak.centroid;
  values[Index(HistoryQuantity::kFwhm)] = peak.fwhm;
  values[Index(HistoryQuantity::kNetAreaRate)] = peak.netAreaRate;
  values[Index(HistoryQuantity::kFom)] = peak.fom;
  AddRunSample(values);
}

void HistoryRecorder::AddRunSample(const HistoryValues& values) {
  run_.Add(SecondsSince(runOriginMs_), values);
  for (std::size_t q = 0; q < kHistoryQuantities; ++q) thisRun_[q].Add(values[q]);
}

void HistoryRecorder::AddSeriesPoint() {
  HistoryValues means = NoHistoryValues();
  for (std::size_t q = 0; q < kHistoryQuantities; ++q) means[q] = thisRun_[q].Mean();
  series_.Add(SecondsSince(seriesOriginMs_), means);
  thisRun_ = {};
}

void HistoryRecorder::Clear() {
  run_.Clear();
  series_.Clear();
  thisRun_ = {};
  runOriginMs_ = seriesOriginMs_ = clock_.UtcMilliseconds();
  seriesActive_ = false;
  lastRealSeconds_ = 0.0;
}

}  // namespace mirvo
