// The main window's file commands: the file dialogs are the window's; what happens to the records
// and the files is the core's.
#include <QFileDialog>
#include <QFileInfo>

#include "display/gui/QtUserDialog.h"
#include "base/Clock.h"
#include "files/AcquisitionTimes.h"
#include "files/SpectrumFileCommands.h"
#include "files/gui/CDialogTag.h"
#include "shell/OutputLog.h"
#include "shell/gui/CMainFrame.h"

namespace mirvo {

void CMainFrame::OpenSpectrumFile() {
  const QString path = QFileDialog::getOpenFileName(
      this, "Open Spectrum", lastFolder_,
      "Spectrum files (*.mps *.n42 *.spe);;Mirvo-PSD spectrum (*.mps);;N42.42 (*.n42 *.xml);;IAEA SPE (*.spe);;All files (*)");
  if (path.isEmpty()) return;
  OpenSpectrumFile(path);
}

void CMainFrame::OpenSpectrumFile(const QString& path) {
  lastFolder_ = QFileInfo(path).absolutePath();
  std::vector<std::string> notes;
  OpenSpectrum(*recordSets_, path.toStdString(), *userDialog_, &notes);
  for (const std::string& note : notes) outputLog_->AddLine(note);
  RepaintPanes();
}

void CMainFrame::SaveSpectrumFileAs() {
  const QString path = QFileDialog::getSaveFileName(this, "Save Spectrum As", lastFolder_, "Spectrum files (*.mps)",
                                                    nullptr, QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return;
  lastFolder_ = QFileInfo(path).absolutePath();
  CDialogTag tagDialog(this);
  const AcquisitionTimes times = TimesFromRegisters(recordSets_->SettingsRecord().registers, samplePeriod_.Us());
  SaveSpectrumAs(*recordSets_, path.toStdString(), times, *userDialog_, tagDialog);
}

void CMainFrame::ExportSpectrumCsv(bool hardSize) {
  const QString path = QFileDialog::getSaveFileName(this, "Export Spectrum", lastFolder_, "CSV files (*.csv);;All files (*)",
                                                    nullptr, QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return;
  lastFolder_ = QFileInfo(path).absolutePath();
  CDialogTag tagDialog(this);
  const AcquisitionTimes times = TimesFromRegisters(recordSets_->SettingsRecord().registers, samplePeriod_.Us());
  ExportSpectrumAs(*recordSets_, path.toStdString(), hardSize, times, *userDialog_, tagDialog);
}

void CMainFrame::ExportSpectrumInterchange(int command) {
  const bool spe = command == kExportSpeOneCommand;
  const QString path = QFileDialog::getSaveFileName(
      this, "Export Spectrum As...", lastFolder_,
      spe ? "IAEA SPE File (*.spe);;All Files (*.*)" : "N42.42 File (*.n42);;XML File (*.xml);;All Files (*.*)", nullptr,
      QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return;
  lastFolder_ = QFileInfo(path).absolutePath();
  CDialogTag tagDialog(this);
  const AcquisitionTimes times = TimesFromRegisters(recordSets_->SettingsRecord().registers, samplePeriod_.Us());
  const InterchangeExport kind = spe                                     ? InterchangeExport::SpeThisSpectrum
                                 : command == kExportN42OneCommand ? InterchangeExport::N42ThisSpectrum
                                                                   : InterchangeExport::N42AllSpectra;
  ExportInterchangeAs(*recordSets_, path.toStdString(), kind, times, clock_.UtcMilliseconds(), *userDialog_, tagDialog);
}

}  // namespace mirvo
