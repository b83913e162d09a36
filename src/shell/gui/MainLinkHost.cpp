#include "shell/gui/MainLinkHost.h"

#include <QMessageBox>
#include <QWidget>

#include "display/RecordSets.h"
#include "shell/OutputLog.h"

namespace mirvo {

MainLinkHost::MainLinkHost(QWidget* window, OutputLog& log, RecordSets& sets, SpectrumMemory& memory,
                           std::function<double()> samplePeriodUs)
    : window_(window), log_(log), sets_(sets), memory_(memory), samplePeriodUs_(std::move(samplePeriodUs)) {}

void MainLinkHost::RefreshPanelsFromImage() {
  PanelLinkHost::RefreshPanelsFromImage();
  if (onPanelsRefresh) onPanelsRefresh();
}

SpectrumRecord& MainLinkHost::LiveRecord() { return sets_.LiveRecord(); }

const SpectrumRecord* MainLinkHost::SettingsRecord() { return &sets_.SettingsRecord(); }

bool MainLinkHost::SettingsRecordLive() const { return sets_.SettingsRecordLive(); }

void MainLinkHost::AddLine(const std::string& line) { log_.AddLine(line); }

void MainLinkHost::ShowError(const std::string& message) {
  QMessageBox::critical(window_, "mirvo-PSD", QString::fromStdString(message));
}

RegisterImage& MainLinkHost::LiveImage() { return sets_.LiveRecord().registers; }

int MainLinkHost::RefreshEnable() const { return const_cast<RecordSets&>(sets_).LiveRecord().refreshEnable; }

void MainLinkHost::SetRefreshEnable(int value) { sets_.LiveRecord().refreshEnable = value; }

void MainLinkHost::StoreStatus(const packet::StatusBlock& status) { TakeStatus(sets_.LiveRecord(), status); }

void MainLinkHost::SetConnectedCaptions(const std::string& portName) { sets_.SetConnection(true, portName); }

void MainLinkHost::RefreshSpectrumCaptions() { sets_.SetConnection(false, ""); }

void MainLinkHost::Redraw() {
  if (window_) window_->update();
}

}  // namespace mirvo
