// The logic behind the trace viewer (COscopeView, pane "Trace Viewer"): a small oscilloscope for the
// instrument's internal signals. It holds the signal, trigger, mode, time base, delay and scale
// choices, writes them into the live register image, takes the trace blocks the engine hands it
// (the trace sink of the connection), averages and converts them, and says where each point goes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "acquisition/ConnectionObserver.h"
#include "acquisition/TraceSink.h"
#include "files/TraceCsv.h"
#include "panels/PanelHost.h"
#include "protocol/SamplePeriod.h"
#include "traces/ShaperGains.h"
#include "traces/TraceRules.h"

namespace mirvo {

class LinkLifecycle;

using TraceWords = std::array<std::uint16_t, 2 * kTraceSamples>;

class TraceViewer final : public ITraceSink, public IConnectionObserver {
 public:
  // `period` is the main window's sample period (its clock code picks the time labels); `gains`
  // lends the shaper's LONG TC and BDC value.
  TraceViewer(IPanelHost& host, const SamplePeriod& period, const IShaperGains& gains);
  TraceViewer(const TraceViewer&) = delete;
  TraceViewer& operator=(const TraceViewer&) = delete;
  ~TraceViewer() override;

  // Becomes the connection's trace sink and hears when a port opens.
  void Attach(LinkLifecycle& lifecycle);
  // The controls exist: start values shown, initialised flag set.
  void Initialise();
  bool Initialised() const { return initialised_; }
  // The form shows the viewer's values again; the trace area is redrawn.
  std::function<void()> onChanged;
  std::function<void()> onTraceChanged;

  // --- operations
  void ApplyToImage();
  void CommitChange();
  void RefreshFromStatus();
  void ProcessTrace(std::span<const std::uint16_t> words);
  void UpdateTimeBase();

  // --- handlers
  void OnRun();
  void OnMode();
  void OnHorizontalPlus();
  void OnHorizontalMinus();
  void OnDelay(int position);
  void OnVerticalPlus();
  void OnVerticalMinus();
  void OnOffsetSlider(int position);
  void OnOffsetZero();
  void OnSignal(int signal);
  void OnTrigger(int index);
  void OnInvert(bool on);
  void OnPeak(bool on);

  // --- ITraceSink
  bool TraceRunning() const override { return running_; }
  void SetTraceRunning(bool running) override;
  int SingleTracePending() const override { return countdown_; }
  void SetSingleTracePending(int count) override { countdown_ = count; }
  void ReleaseRunButton() override;
  void ShowTrace(std::span<const std::uint16_t> words) override { ProcessTrace(words); }
  void RefreshTraceControls() override { RefreshFromStatus(); }
  void ResetTraceViewer() override;
  // --- IConnectionObserver: a port was opened, the viewer is no longer synchronised.
  void OnPortOpened() override { synchronised_ = false; }

  // --- values shown
  bool RunPressed() const { return runPressed_; }
  const std::string& RunCaption() const { return runCaption_; }
  int Mode() const { return mode_; }
  const char* ModeText() const { return ModeCaption(mode_); }
  int TimeBaseIndex() const { return timeBaseIndex_; }
  int TimeBase() const { return timeBaseValue_; }
  const std::string& TimeLabel() const { return timeLabel_; }
  int DelayPosition() const { return delay_; }
  std::uint16_t DelayWritten() const { return DelayRegister(delay_, timeBaseValue_); }
  int VerticalIndex() const { return vertical_; }
  const std::string& VerticalText() const { return verticalLabel_; }
  long long Offset() const { return offset_; }
  long long OffsetBase() const { return offsetBase_; }
  int OffsetSlider() const { return slider_; }
  int Signal() const { return signal_; }
  int Trigger() const { return trigger_; }
  bool Coincidence() const { return coincidence_; }
  const char* TriggerText(int index) const { return DigitalSignalName(index, coincidence_); }
  bool Invert() const { return invert_; }
  bool Peak() const { return peak_; }
  const std::string& RoiStartText() const { return roiStartText_; }
  const std::string& RoiEndText() const { return roiEndText_; }
  std::uint16_t RoiStart() const { return roiStart_; }
  std::uint16_t RoiEnd() const { return roiEnd_; }
  Shifts NormShifts() const { return shifts_; }
  int DeflectionLimit() const { return limit_; }
  bool Synchronised() const { return synchronised_; }
  int AveragingSlot() const { return slot_; }
  // The block last processed (averaged analog words when averaging).
  const TraceWords& Block() const { return block_; }
  bool HasBlock() const { return blocks_ > 0; }
  long long BlocksShown() const { return blocks_; }

  // --- drawing: the scale of the current block, and the nine traces in `area`
  TraceScale CurrentScale() const;
  TraceTraces Points(const TraceArea& area) const;
  // What the trace export writes of the viewer's state now.
  TraceExportInput ExportInput() const;

 private:
  bool Responding() const;
  void ClearAveraging();
  void Rescale();
  void CommitIfSynchronised() {
    if (synchronised_) CommitChange();
  }
  void Changed() {
    if (onChanged) onChanged();
  }
  void TraceChanged() {
    if (onTraceChanged) onTraceChanged();
  }
  void SetAutoUpdate(bool on);
  void SelectRoiSca();
  void DecodeRoiSca();

  IPanelHost& host_;
  const SamplePeriod& period_;
  const IShaperGains& gains_;
  LinkLifecycle* lifecycle_ = nullptr;
  bool initialised_ = false;

  bool running_ = false;
  int countdown_ = 0;
  bool runPressed_ = false;
  std::string runCaption_ = "RUN";
  int mode_ = kModeNormal;
  int timeBaseIndex_ = 5;
  int timeBaseValue_ = 20;
  std::string timeLabel_;
  int delay_ = 48;
  int vertical_ = 12;
  std::string verticalLabel_;
  long long offset_ = 0, offsetBase_ = 0;
  int slider_ = 0;
  int signal_ = 0;
  int trigger_ = 0;
  bool coincidence_ = false;
  bool invert_ = false;
  bool peak_ = false;
  int roiSpectrum_ = 0, roiFactor_ = 1;
  std::uint16_t roiStart_ = 0, roiEnd_ = 0;
  std::string roiStartText_, roiEndText_;
  int decodedFactor_ = -1;
  int decodedStart_ = -1, decodedEnd_ = -1;
  Shifts shifts_;
  int limit_ = 255;
  std::array<std::int32_t, kTraceSamples> sums_{};
  std::array<std::array<std::int16_t, kTraceSamples>, 16> ring_{};
  int slot_ = 0;
  TraceWords block_{};
  int peakBase_ = 0;
  long long blocks_ = 0;
  bool synchronised_ = false;
};

}  // namespace mirvo
