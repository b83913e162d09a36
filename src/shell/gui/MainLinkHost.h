// The link host of the main window: the engine's view of the live record, the spectrum memory, the
// output log and message boxes. Panels that do not exist yet are plain state (LinkHostState).
#pragma once

#include <functional>

#include "acquisition/PanelLinkHost.h"

class QWidget;

namespace mirvo {

class OutputLog;
class RecordSets;

class MainLinkHost final : public PanelLinkHost {
 public:
  MainLinkHost(QWidget* window, OutputLog& log, RecordSets& sets, SpectrumMemory& memory,
               std::function<double()> samplePeriodUs);

  void SetSpectrumInfo(SpectrumInfo* info) { info_ = info; }

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

  // IAcquisitionHost
  SpectrumRecord& LiveRecord() override;
  const SpectrumRecord* SettingsRecord() override;
  bool SettingsRecordLive() const override;
  SpectrumInfo* InfoPane() override { return info_; }

 private:
  QWidget* window_;
  OutputLog& log_;
  RecordSets& sets_;
  SpectrumMemory& memory_;
  std::function<double()> samplePeriodUs_;
  SpectrumInfo* info_ = nullptr;
};

}  // namespace mirvo
