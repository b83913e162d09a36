// The link host of the main window: the engine's view of the live record, the spectrum memory, the
// output log and message boxes. Panels that do not exist yet are plain state (LinkHostState).
#pragma once

#include <functional>

#include "acquisition/AcquisitionPanel.h"
#include "protocol/LinkHost.h"
#include "timesvc/StartTimeStamp.h"

class QWidget;

namespace mirvo {

class COutputLog;
class CRecordSets;

class MainLinkHost final : public LinkHostState, public IAcquisitionHost {
 public:
  MainLinkHost(QWidget* window, COutputLog& log, CRecordSets& sets, SpectrumMemory& memory,
               std::function<double()> samplePeriodUs);

  // The panel is made after the host (it needs the host); nothing is forwarded before.
  void SetPanel(CAcquisitionPanel* panel) { panel_ = panel; }
  void SetSpectrumInfo(CSpectrumInfo* info) { info_ = info; }
  StartTimeSettings& StartTime() { return startTime_; }
  std::function<void()> onPanelChanged;

  void AddLine(const std::string& line) override;
  void ShowError(const std::string& message) override;
  double SamplePeriodUs() const override { return samplePeriodUs_(); }
  RegisterImage& LiveImage() override;
  int RefreshEnable() const override;
  void SetRefreshEnable(int value) override;
  void StoreStatus(const packet::StatusBlock& status) override;
  SpectrumMemory& Memory() override { return memory_; }
  void SetConnectedCaptions(const std::string& portName) override;
  void RefreshSpectrumCaptions() override;
  void Redraw() override;

  // Told after every status fold (panels refresh from the image).
  std::function<void()> onPanelsRefresh;
  void RefreshPanelsFromImage() override;

  // The acquisition panel and the logger, one line each.
  bool AutoUpdate() const override { return panel_ ? panel_->AutoUpdate() : LinkHostState::AutoUpdate(); }
  void SetAutoUpdate(bool checked) override {
    if (panel_) panel_->SetAutoUpdate(checked);
  }
  void SetRealLiveTime(double realSeconds, double liveSeconds) override { panel_->SetRealLiveTime(realSeconds, liveSeconds); }
  void SetStartTimeText(const std::string& text) override { panel_->SetStartStampText(text); }
  void RefreshAcquisitionPanel() override { panel_->ShowValues(); }
  bool LoggedSeriesRunning() const override { return panel_ && panel_->Logger().Running(); }
  void SetLoggedSeriesRunning(bool running) override { panel_->Logger().SetRunning(running); }
  bool LoggingEnabled() const override { return panel_ && panel_->Logger().Enabled(); }
  void SetLoggingEnabled(bool enabled) override { panel_->Logger().SetEnabled(enabled); }
  int RunCounter() const override { return panel_->Logger().Completed(); }
  void SetRunCounter(int count) override { panel_->Logger().SetCompleted(count); }
  int NumberOfRuns() const override { return panel_->Logger().Runs(); }
  void SaveLoggedRun(int runCounter) override { panel_->SaveLoggedRun(runCounter); }
  StartStamp StampLoggedRunStart() override;
  void ResetStartTimeSelection() override { OnConnect(startTime_); }
  void ClearReadyMarkers() override {
    if (panel_) panel_->ClearSynchronised();
  }

  // IAcquisitionHost
  SpectrumRecord& LiveRecord() override;
  const SpectrumRecord* SettingsRecord() override;
  bool SettingsRecordLive() const override;
  CSpectrumInfo* SpectrumInfo() override { return info_; }
  void PanelChanged() override {
    if (onPanelChanged) onPanelChanged();
  }

 private:
  QWidget* window_;
  COutputLog& log_;
  CRecordSets& sets_;
  SpectrumMemory& memory_;
  std::function<double()> samplePeriodUs_;
  CAcquisitionPanel* panel_ = nullptr;
  CSpectrumInfo* info_ = nullptr;
  StartTimeSettings startTime_;
};

}  // namespace mirvo
