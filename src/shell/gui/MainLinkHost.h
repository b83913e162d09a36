// The main window's share of the instrument link: log lines and message boxes, the live record of
// the record sets, the acquisition panel's view of the records, the spectrum captions at connect
// and close, and the information pane's rates after every status fold.
#pragma once

#include <functional>

#include "acquisition/AcquisitionPanel.h"
#include "acquisition/AutoUpdate.h"
#include "acquisition/ConnectionObserver.h"
#include "acquisition/LoggedSeries.h"
#include "acquisition/TraceSink.h"
#include "acquisition/RegisterRefreshChain.h"
#include "protocol/LiveRecord.h"
#include "protocol/Reporter.h"

class QWidget;

namespace mirvo {

class OutputLog;
class RecordSets;

class MainLinkHost final : public IReporter,
                           public ILiveRecord,
                           public IAcquisitionHost,
                           public IConnectionObserver,
                           public IRegisterRefresh {
 public:
  MainLinkHost(QWidget* window, OutputLog& log, RecordSets& sets, std::function<double()> samplePeriodUs);

  void SetSpectrumInfo(SpectrumInfoPanel* info) { info_ = info; }

  // IReporter
  void AddLine(const std::string& line) override;
  void ShowError(const std::string& message) override;
  // ILiveRecord
  RegisterImage& Image() override;
  int RefreshEnable() const override;
  void SetRefreshEnable(int value) override;
  void StoreStatus(const packet::StatusBlock& status) override;
  // IAcquisitionHost
  SpectrumRecord& LiveRecord() override;
  const SpectrumRecord* SettingsRecord() override;
  bool SettingsRecordLive() const override;
  SpectrumInfoPanel* InfoPane() override { return info_; }
  double SamplePeriodUs() const override { return samplePeriodUs_(); }
  void PanelChanged() override {
    if (onPanelChanged) onPanelChanged();
  }
  // IConnectionObserver: "S%d: <caption> @ <port>" while connected, the plain captions after.
  void OnConnected(const std::string& portName) override;
  void OnLinkClosed() override;
  // IRegisterRefresh, after the panels
  void RefreshFromImage() override {
    if (onPanelsRefresh) onPanelsRefresh();
  }

  StartTimeSettings startTime;
  std::function<void()> onPanelChanged;   // the acquisition form shows the panel again
  std::function<void()> onPanelsRefresh;  // after every status fold
  std::function<void()> onConnected;      // the window shows the panes a connection fills

 private:
  void Redraw();

  QWidget* window_;
  OutputLog& log_;
  RecordSets& sets_;
  std::function<double()> samplePeriodUs_;
  SpectrumInfoPanel* info_ = nullptr;
};

}  // namespace mirvo
