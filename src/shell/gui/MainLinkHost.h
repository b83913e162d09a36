// The link host of the main window: the engine's view of the live record, the spectrum memory, the
// output log and message boxes. Panels that do not exist yet are plain state (LinkHostState).
#pragma once

#include <functional>

#include "protocol/LinkHost.h"

class QWidget;

namespace mirvo {

class COutputLog;
class CRecordSets;

class MainLinkHost final : public LinkHostState {
 public:
  MainLinkHost(QWidget* window, COutputLog& log, CRecordSets& sets, SpectrumMemory& memory);

  void AddLine(const std::string& line) override;
  void ShowError(const std::string& message) override;
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
  void RefreshPanelsFromImage() override {
    if (onPanelsRefresh) onPanelsRefresh();
  }

 private:
  QWidget* window_;
  COutputLog& log_;
  CRecordSets& sets_;
  SpectrumMemory& memory_;
};

}  // namespace mirvo
