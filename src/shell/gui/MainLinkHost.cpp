#include "shell/gui/MainLinkHost.h"

#include <QMessageBox>
#include <QWidget>

#include "display/RecordSets.h"
#include "acquisition/RecordStatus.h"
#include "shell/OutputLog.h"

namespace mirvo {

MainLinkHost::MainLinkHost(QWidget* window, OutputLog& log, RecordSets& sets, std::function<double()> samplePeriodUs)
    : window_(window), log_(log), sets_(sets), samplePeriodUs_(std::move(samplePeriodUs)) {}

SpectrumRecord& MainLinkHost::LiveRecord() { return sets_.LiveRecord(); }

const SpectrumRecord* MainLinkHost::SettingsRecord() { return &sets_.SettingsRecord(); }

bool MainLinkHost::SettingsRecordLive() const { return sets_.SettingsRecordLive(); }

void MainLinkHost::AddLine(const std::string& line) { log_.AddLine(line); }

void MainLinkHost::ShowError(const std::string& message) {
  QMessageBox::critical(window_, "mirvo-PSD", QString::fromStdString(message));
}

RegisterImage& MainLinkHost::Image() { return sets_.LiveRecord().registers; }

int MainLinkHost::RefreshEnable() const { return const_cast<RecordSets&>(sets_).LiveRecord().refreshEnable; }

void MainLinkHost::SetRefreshEnable(int value) { sets_.LiveRecord().refreshEnable = value; }

void MainLinkHost::StoreStatus(const packet::StatusBlock& status) { StoreStatusInRecord(sets_.LiveRecord(), status); }

void MainLinkHost::OnConnected(const std::string& portName) {
  sets_.SetConnection(true, portName);
  if (onConnected) onConnected();
  Redraw();
}

void MainLinkHost::OnLinkClosed() {
  sets_.SetConnection(false, "");
  Redraw();
}

void MainLinkHost::Redraw() {
  if (window_) window_->update();
}

}  // namespace mirvo
