// A link host whose acquisition side is a real AcquisitionPanel: the command-line tool and the
// tests run the engine and the panel with it. Each forwarding line is the one the main window's
// link host makes to its own panel.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "acquisition/AcquisitionPanel.h"
#include "acquisition/PanelLinkHost.h"
#include "display/SpectrumInfo.h"
#include "protocol/LinkHost.h"
#include "shell/OutputLog.h"

namespace mirvo {

class AcquisitionLinkHost : public PanelLinkHost {
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
  void StoreStatus(const packet::StatusBlock& block) override { TakeStatus(record, block); }
  double SamplePeriodUs() const override { return samplePeriodUs; }

  // --- the panel's share, as PanelLinkHost forwards it; a host without a panel polls nothing
  bool AutoUpdate() const override { return panel_ != nullptr && panel_->AutoUpdate(); }
  void RefreshPanelsFromImage() override {
    PanelLinkHost::RefreshPanelsFromImage();
    ++statusFolds;
  }

  // --- IAcquisitionHost
  SpectrumRecord& LiveRecord() override { return record; }
  const SpectrumRecord* SettingsRecord() override { return &record; }
  SpectrumInfo* InfoPane() override { return &info; }

  std::array<SpectrumRecord, 4> buffers;  // the BUFFER set, counts in `memory`
  SpectrumRecord& record = buffers[0];     // the live record, also the settings record
  SpectrumInfo info;
  OutputLog log;
  std::vector<std::string> errors;
  int statusFolds = 0;
  std::function<void(const std::string&)> onLine;  // every log line as it is added
};

}  // namespace mirvo
