// The part of a link host that belongs to the acquisition panel and its logger: every call of the
// engine forwarded to the panel, one line each. The main window's host and the headless host of the
// command-line tool and tests both derive from it.
#pragma once

#include <functional>

#include "acquisition/AcquisitionPanel.h"
#include "records/SpectrumRecord.h"
#include "protocol/LinkHost.h"
#include "timesvc/StartTimeStamp.h"

namespace mirvo {

class PanelLinkHost : public LinkHostState, public IAcquisitionHost {
 public:
  // The panel is made after the host (it needs the host); nothing is forwarded before.
  void SetPanel(AcquisitionPanel* panel) { panel_ = panel; }

  bool AutoUpdate() const override { return panel_ ? panel_->AutoUpdate() : LinkHostState::AutoUpdate(); }
  void SetAutoUpdate(bool checked) override {
    if (panel_) panel_->SetAutoUpdate(checked);
  }
  void SetRealLiveTime(double realSeconds, double liveSeconds) override {
    panel_->SetRealLiveTime(realSeconds, liveSeconds);
  }
  void SetStartTimeText(const std::string& text) override { panel_->SetStartStampText(text); }
  void RefreshPanelsFromImage() override {
    if (panel_) panel_->RefreshFromRecord();
  }
  void RefreshAcquisitionPanel() override { panel_->ShowValues(); }
  bool LoggedSeriesRunning() const override { return panel_ && panel_->Logger().Running(); }
  void SetLoggedSeriesRunning(bool running) override { panel_->Logger().SetRunning(running); }
  bool LoggingEnabled() const override { return panel_ && panel_->Logger().Enabled(); }
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
  void ClearReadyMarkers() override {
    if (panel_) panel_->ClearSynchronised();
  }
  void PanelChanged() override {
    if (onPanelChanged) onPanelChanged();
  }

  StartTimeSettings startTime;
  std::function<void()> onPanelChanged;

 protected:
  // The status block of a read reply, kept as the host's last status and in the live record.
  void TakeStatus(SpectrumRecord& live, const packet::StatusBlock& block) {
    status = block;
    live.firmwareVersion = block.firmware;
    live.serialNumber = block.serialnumber;
    live.bias = static_cast<std::int32_t>(block.bias);
    live.slowAdcVolts = block.slowadc;
    live.internalTemperature = block.intemp;
  }

  AcquisitionPanel* panel_ = nullptr;
};

}  // namespace mirvo
