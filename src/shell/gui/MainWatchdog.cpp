#include "shell/gui/MainWatchdog.h"

#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "display/RecordSets.h"
#include "files/SpectrumFile.h"
#include "monitor/gui/WatchdogSettingsDialog.h"
#include "shell/Commands.h"
#include "shell/WatchdogSettingsStore.h"
#include "shell/gui/CMainFrame.h"

namespace mirvo {

MainWatchdog::MainWatchdog(const IClock& clock, AcquisitionPanel& panel, const SpectrumMemory& memory,
                           std::function<double()> samplePeriodUs, Autosave::BufferWriter writer, OutputLog& outputLog,
                           ISettingsBackend& store, QWidget* owner)
    : log(outputLog),
      settings(store),
      window(owner),
      session(clock, panel, memory, std::move(samplePeriodUs), std::move(writer), *this) {
  session.SetSettings(LoadWatchdogSettings(settings));
}

void MainWatchdog::WatchdogLine(const std::string& text, bool) { log.AddLine(text); }

void MainWatchdog::WatchdogStatus(const std::string& text) {
  if (status == nullptr) return;
  status->setText(QString::fromStdString(text));
  status->setVisible(!text.empty());
}

void MainWatchdog::WatchdogNotice(const std::string& text) {
  const QString line = QString::fromStdString(text);
  if (notice && notice->isVisible()) {  // one box gathers what happens while it is open
    notice->setText(notice->text() + "\n" + line);
    return;
  }
  notice = new QMessageBox(QMessageBox::Warning, "mirvo-PSD", line, QMessageBox::Ok, window);
  notice->setObjectName("WatchdogNotice");
  notice->setAttribute(Qt::WA_DeleteOnClose);
  notice->setWindowModality(Qt::NonModal);
  notice->show();
}

void MainWatchdog::OfferLeftOverFile(const std::function<void(const QString&)>& open) {
  const std::string left = Autosave::LeftOverRecoveryFile();
  if (left.empty()) return;
  std::string kept = Autosave::KeepAside(left);
  if (kept.empty()) kept = left;
  log.AddLine("A recovery file of an acquisition that did not end cleanly is kept in " + kept);
  auto* box = new QMessageBox(QMessageBox::Question, "mirvo-PSD",
                              QString("An acquisition did not end cleanly; its last autosave is kept in\n%1\n\n"
                                      "Open it into the FILE set?")
                                  .arg(QString::fromStdString(kept)),
                              QMessageBox::Open | QMessageBox::Close, window);
  box->setObjectName("RecoveryOffer");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  const QString path = QString::fromStdString(kept);
  QObject::connect(box->button(QMessageBox::Open), &QPushButton::clicked, box, [open, path] { open(path); });
  box->show();
}

void CMainFrame::BuildWatchdog(ISettingsBackend& settings) {
  watchdog_ = std::make_unique<MainWatchdog>(
      clock_, *acquisitionPanel_, *memory_, [this] { return samplePeriod_.Us(); },
      [this](const std::string& path, FileSystemOps& fs) {
        return SaveSpectrumFile(*recordSets_, path, /*bufferSet=*/true,
                                TimesFromRegisters(recordSets_->LiveRecord().registers, samplePeriod_.Us()), fs);
      },
      *outputLog_, settings, this);
  watchdog_->session.Attach(*lifecycle_);
  auto* status = new QLabel(this);
  status->setObjectName("WatchdogStatus");
  status->setStyleSheet("QLabel { color: #000000; background: #ffb000; font-weight: bold; padding: 0 6px; }");
  status->hide();
  statusBar()->insertWidget(0, status);
  watchdog_->status = status;
  for (QMenu* menu : menuBar()->findChildren<QMenu*>())
    if (menu->title() == "&Utility") AddCommand(menu, cmd::kWatchdogSettings, "&Watchdog and Autosave...");
  QTimer::singleShot(0, this, [this] {
    watchdog_->OfferLeftOverFile([this](const QString& path) { OpenSpectrumFile(path); });
  });
}

void CMainFrame::RunWatchdogSettings() {
  WatchdogSettingsDialog dialog(watchdog_->session.Settings(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  watchdog_->session.SetSettings(dialog.Settings());
  SaveWatchdogSettings(watchdog_->settings, dialog.Settings());
}

void CMainFrame::WatchdogTick() { watchdog_->session.OnTick(); }

void CMainFrame::BufferSetSaved() { watchdog_->session.NoteBufferSaved(); }

void CMainFrame::UserDisconnects() { watchdog_->session.NoteUserDisconnect(); }

MainWatchdog* CMainFrame::WatchdogPart() const { return watchdog_.get(); }

}  // namespace mirvo
