// A link host whose acquisition side is a real CAcquisitionPanel: the command-line tool and the
// tests run the engine and the panel with it. Each forwarding line is the one the main window's
// link host makes to its own panel.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "acquisition/AcquisitionPanel.h"
#include "display/SpectrumInfo.h"
#include "protocol/LinkHost.h"
#include "shell/OutputLog.h"

namespace mirvo {

class AcquisitionLinkHost : public LinkHostState, public IAcquisitionHost {
 public:
  explicit AcquisitionLinkHost(const IClock& clock = DefaultClock()) : log(clock) {
    for (std::size_t k = 0; k < buffers.size(); ++k) {
      buffers[k].spectrumIndex = static_cast<std::int32_t>(k);
      buffers[k].live = 1;
      buffers[k].BindCounts(memory.Spectrum(k), buffers[k].softCounts);
    }
  }
  AcquisitionLinkHost(const AcquisitionLinkHost&) = delete;
  AcquisitionLinkHost& operator=(const AcquisitionLinkHost&) = delete;
  std::array<const SpectrumRecord*, 4> BufferSet() const { return {&buffers[0], &buffers[1], &buffers[2], &buffers[3]}; }

  // The panel is made after the host (it needs the host); nothing is forwarded before.
  void SetPanel(CAcquisitionPanel* panel) { panel_ = panel; }

  // --- ILinkHost: reporting and the live record
  void AddLine(const std::string& line) override {
    log.AddLine(line);
    if (onLine) onLine(log.Line(log.Size() - 1));
  }
  void ShowError(const std::string& message) override {
    errors.push_back(message);
    AddLine(message);
  }
  RegisterImage& LiveImage() override { return record.registers; }
  int RefreshEnable() const override { return record.refreshEnable; }
  void SetRefreshEnable(int value) override { record.refreshEnable = value; }
  void StoreStatus(const packet::StatusBlock& block) override {
    status = block;
    record.firmwareVersion = block.firmware;
    record.serialNumber = block.serialnumber;
    record.bias = static_cast<std::int32_t>(block.bias);
    record.slowAdcVolts = block.slowadc;
    record.internalTemperature = block.intemp;
  }
  double SamplePeriodUs() const override { return samplePeriodUs; }

  // --- ILinkHost: the acquisition panel and the logger, one line each
  bool AutoUpdate() const override { return panel_ != nullptr && panel_->AutoUpdate(); }
  void SetAutoUpdate(bool checked) override { panel_->SetAutoUpdate(checked); }
  void SetRealLiveTime(double realSeconds, double liveSeconds) override {
    panel_->SetRealLiveTime(realSeconds, liveSeconds);
  }
  void SetStartTimeText(const std::string& text) override { panel_->SetStartStampText(text); }
  void RefreshPanelsFromImage() override {
    panel_->RefreshFromRecord();
    ++statusFolds;
  }
  void RefreshAcquisitionPanel() override { panel_->ShowValues(); }
  bool LoggedSeriesRunning() const override { return panel_->Logger().Running(); }
  void SetLoggedSeriesRunning(bool running) override { panel_->Logger().SetRunning(running); }
  bool LoggingEnabled() const override { return panel_->Logger().Enabled(); }
  void SetLoggingEnabled(bool enabled) override { panel_->Logger().SetEnabled(enabled); }
  int RunCounter() const override { return panel_->Logger().Completed(); }
  void SetRunCounter(int count) override { panel_->Logger().SetCompleted(count); }
  int NumberOfRuns() const override { return panel_->Logger().Runs(); }
  void SaveLoggedRun(int runCounter) override { panel_->SaveLoggedRun(runCounter); }
  StartStamp StampLoggedRunStart() override {
    const StampedStart stamp = panel_->StampLoggedRunStart();
    return {stamp.dateWord, stamp.timeWord, stamp.text};
  }
  void ResetStartTimeSelection() override { OnConnect(startTime); }
  void ClearReadyMarkers() override { panel_->ClearSynchronised(); }

  // --- IAcquisitionHost
  SpectrumRecord& LiveRecord() override { return record; }
  const SpectrumRecord* SettingsRecord() override { return &record; }
  CSpectrumInfo* SpectrumInfo() override { return &info; }
  void PanelChanged() override {
    if (onPanelChanged) onPanelChanged();
  }

  std::array<SpectrumRecord, 4> buffers;  // the BUFFER set, counts in `memory`
  SpectrumRecord& record = buffers[0];     // the live record, also the settings record
  CSpectrumInfo info;
  StartTimeSettings startTime;
  COutputLog log;
  std::vector<std::string> errors;
  int statusFolds = 0;
  std::function<void(const std::string&)> onLine;  // every log line as it is added
  std::function<void()> onPanelChanged;

 private:
  CAcquisitionPanel* panel_ = nullptr;
};

}  // namespace mirvo
