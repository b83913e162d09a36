#include "monitor/WatchdogSession.h"

#include <numeric>

#include "protocol/RegisterImage.h"

namespace mirvo {

WatchdogSession::WatchdogSession(const IClock& clock, AcquisitionPanel& panel, const SpectrumMemory& memory,
                                 std::function<double()> samplePeriodUs, Autosave::BufferWriter writer,
                                 IWatchdogListener& listener, FileSystemOps& fs)
    : panel_(panel),
      memory_(memory),
      samplePeriodUs_(std::move(samplePeriodUs)),
      listener_(listener),
      watchdog_(clock),
      autosave_(clock, std::move(writer), fs) {}

void WatchdogSession::Attach(LinkLifecycle& lifecycle) {
  lifecycle_ = &lifecycle;
  membership_.Join(lifecycle, RegisterRefreshChain::Rank::kAfterPanels, *this, this);
}

void WatchdogSession::SetSettings(const WatchdogSettings& settings) {
  watchdog_.SetSettings(settings);
  autosave_.SetIntervalMinutes(settings.autosaveMinutes);
}

std::uint64_t WatchdogSession::BufferCounts() const {
  const auto& counts = memory_.Counts();
  return std::accumulate(counts.begin(), counts.end(), std::uint64_t{0});
}

AcquisitionTimes WatchdogSession::LiveTimes() const {
  if (lifecycle_ == nullptr) return {};
  return TimesFromRegisters(lifecycle_->LiveRecord().Image(), samplePeriodUs_());
}

void WatchdogSession::ClearAffected() {
  affected_ = false;
  watchdog_.ClearAffected();
}

void WatchdogSession::Emit(const std::vector<WatchdogNotice>& notices) {
  for (const WatchdogNotice& notice : notices) {
    listener_.WatchdogLine(notice.text, notice.raised);
    if (notice.raised) {
      affected_ = true;
      listener_.WatchdogNotice(notice.text);
    }
  }
}

void WatchdogSession::Emit(const std::vector<AutosaveNotice>& notices) {
  for (const AutosaveNotice& notice : notices) {
    listener_.WatchdogLine(notice.text, notice.warning);
    affected_ = affected_ || notice.warning;
    if (notice.notify) listener_.WatchdogNotice(notice.text);
  }
}

void WatchdogSession::ShowStatus() {
  std::string text = watchdog_.StatusText();
  if (text == shownStatus_) return;
  shownStatus_ = text;
  listener_.WatchdogStatus(shownStatus_);
}

void WatchdogSession::RefreshFromImage() {
  if (lifecycle_ == nullptr) return;
  const RegisterImage& image = lifecycle_->LiveRecord().Image();
  const AcquisitionTimes times = LiveTimes();
  const std::uint64_t counts = BufferCounts();
  if (firstStatusPending_) {
    firstStatusPending_ = false;
    Emit(autosave_.OnFirstStatus(times.realSeconds));
  }
  // A run of the series saved since the last read: its counts are in a file.
  if (panel_.RunsCompleted() != runsCompleted_) {
    runsCompleted_ = panel_.RunsCompleted();
    if (runsCompleted_ > 0) autosave_.OnBufferSaved(counts);
  }
  WatchdogReading reading;
  reading.running = image.Running();
  reading.realSeconds = times.realSeconds;
  reading.liveSeconds = times.liveSeconds;
  reading.totalCounts = counts;
  reading.seriesRunning = panel_.SeriesRunning();
  reading.runNumber = panel_.RunsCompleted() + 1;
  reading.presetSeconds = panel_.PresetSeconds();
  reading.livePreset = panel_.PresetKindIndex() == 1;
  Emit(watchdog_.OnStatus(reading));

  AutosaveReading save;
  save.running = reading.running;
  save.realSeconds = reading.realSeconds;
  save.totalCounts = counts;
  save.startStamp = (std::uint32_t{image[reg::kStartDate]} << 16) | image[reg::kStartTime];
  save.seriesRunning = reading.seriesRunning;
  Emit(autosave_.OnStatus(save));
  ShowStatus();
}

void WatchdogSession::OnTick() {
  Emit(watchdog_.OnTick(panel_.AutoUpdate() || linkLost_));
  ShowStatus();
}

void WatchdogSession::NoteUserDisconnect() { userDisconnect_ = true; }

void WatchdogSession::NoteBufferSaved() { autosave_.OnBufferSaved(BufferCounts()); }

void WatchdogSession::OnConnecting() {
  linkLost_ = false;
  userDisconnect_ = false;
  firstStatusPending_ = true;
  Emit(autosave_.OnConnecting(BufferCounts(), LiveTimes().realSeconds));
}

void WatchdogSession::OnLinkClosed() {
  if (userDisconnect_) {
    watchdog_.Disarm();
    ShowStatus();
  } else {
    linkLost_ = watchdog_.Watching();
  }
  userDisconnect_ = false;
}

}  // namespace mirvo
