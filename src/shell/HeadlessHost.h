// The program around the engine without a window: the BUFFER set over its spectrum memory, the
// information pane's model, the output log, and message boxes kept as lines. The command-line tool
// and the tests run the connection and the acquisition panel with it.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "acquisition/AcquisitionPanel.h"
#include "acquisition/LinkLifecycle.h"
#include "records/SpectrumRecord.h"
#include "display/SpectrumInfoPanel.h"
#include "shell/EventLoop.h"
#include "shell/OutputLog.h"

namespace mirvo {

class HeadlessHost final : public IReporter, public ILiveRecord, public IAcquisitionHost, public IRegisterRefresh {
 public:
  explicit HeadlessHost(const IClock& clock = DefaultClock());
  HeadlessHost(const HeadlessHost&) = delete;
  HeadlessHost& operator=(const HeadlessHost&) = delete;
  std::array<const SpectrumRecord*, 4> BufferSet() const { return {&buffers[0], &buffers[1], &buffers[2], &buffers[3]}; }

  // --- IReporter (also the panel's log)
  void AddLine(const std::string& line) override;
  void ShowError(const std::string& message) override;
  // --- ILiveRecord
  RegisterImage& Image() override { return record.registers; }
  int RefreshEnable() const override { return record.refreshEnable; }
  void SetRefreshEnable(int value) override { record.refreshEnable = value; }
  void StoreStatus(const packet::StatusBlock& block) override;
  // --- IAcquisitionHost
  SpectrumRecord& LiveRecord() override { return record; }
  const SpectrumRecord* SettingsRecord() override { return &record; }
  SpectrumInfoPanel* InfoPane() override { return &info; }
  double SamplePeriodUs() const override { return samplePeriodUs; }
  void PanelChanged() override {
    if (onPanelChanged) onPanelChanged();
  }
  // --- IRegisterRefresh: counts the status reads folded into the image, after the panels
  void RefreshFromImage() override { ++statusFolds; }

  SpectrumMemory memory;
  std::array<SpectrumRecord, 4> buffers;  // the BUFFER set, counts in `memory`
  SpectrumRecord& record = buffers[0];     // the live record, also the settings record
  SpectrumInfoPanel info;
  OutputLog log;
  StartTimeSettings startTime;
  double samplePeriodUs = kDefaultSamplePeriodUs;
  packet::StatusBlock status;  // of the last read reply
  std::vector<std::string> errors;
  int statusFolds = 0;
  std::function<void(const std::string&)> onLine;  // every log line as it is added
  std::function<void()> onPanelChanged;
};

// A connection driven by the headless loop: port events and the 200 ms tick wired to the lifecycle,
// the host counting status folds at the end of the refresh chain.
struct HeadlessConnection {
  HeadlessConnection(IReporter& reporter, ILiveRecord& live, SpectrumMemory& memory, IRegisterRefresh& foldCounter,
                     ISleeper& sleeper = DefaultSleeper())
      : lifecycle(reporter, live, memory, loop, sleeper) {
    loop.SetMessageHandler([this](unsigned, std::uintptr_t wParam, std::intptr_t) { lifecycle.OnSerialEvent(wParam); });
    loop.SetTimer(200, [this] { lifecycle.OnCommTimer(); });
    lifecycle.RefreshChain().Join(RegisterRefreshChain::Rank::kAfterPanels, foldCounter);
  }
  explicit HeadlessConnection(HeadlessHost& host, ISleeper& sleeper = DefaultSleeper())
      : HeadlessConnection(host, host, host.memory, host, sleeper) {}
  EventLoop loop;
  LinkLifecycle lifecycle;
};

}  // namespace mirvo
