// The main window's file commands: the file dialogs are the window's; what happens to the records
// and the files is the core's.
#include <QFileDialog>
#include <QFileInfo>

#include "display/gui/QtUserDialog.h"
#include "acquisition/AcquisitionPanel.h"
#include "base/Clock.h"
#include "files/AcquisitionTimes.h"
#include "files/SpectrumFileCommands.h"
#include "files/gui/CDialogTag.h"
#include "shell/OutputLog.h"
#include "shell/gui/CMainFrame.h"

namespace mirvo {

void CMainFrame::LogFailureReason(const FileResult& result) {
  // The message box keeps its fixed text; the Events pane says why (a read-only folder, a full disk).
  if (!result.Ok() && !result.reason.empty()) outputLog_->AddLine(result.reason);
}

void CMainFrame::OpenSpectrumFile() {
  // The file's content decides how it is read: N42.42 and IAEA SPE files open as well.
  const QString path = QFileDialog::getOpenFileName(
      this, "Open Spectrum File", lastFolder_,
      "Kvetral Spectrum (*.mps);;N42.42 (*.n42 *.xml);;IAEA SPE (*.spe);;All Files (*.*)");
  if (path.isEmpty()) return;
  OpenSpectrumFile(path);
}

void CMainFrame::OpenSpectrumFile(const QString& path) {
  lastFolder_ = QFileInfo(path).absolutePath();
  std::vector<std::string> notes;
  const bool opened = OpenSpectrum(*recordSets_, path.toStdString(), *userDialog_, &notes).Ok();
  for (const std::string& note : notes) outputLog_->AddLine(note);
  if (opened) ShowSpectrumPanes(/*withShaperPane=*/false);
  RepaintPanes();
}

void CMainFrame::SaveSpectrumFileAs() {
  const QString path = QFileDialog::getSaveFileName(this, "Save Spectrum As...", lastFolder_, "Kvetral Spectrum (*.mps);;All Files (*.*)",
                                                    nullptr, QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return;
  lastFolder_ = QFileInfo(path).absolutePath();
  CDialogTag tagDialog(this);
  const AcquisitionTimes times = acquisitionPanel_->ShownTimes();
  const FileResult saved = SaveSpectrumAs(*recordSets_, path.toStdString(), times, *userDialog_, tagDialog);
  LogFailureReason(saved);
  if (saved.Ok() && recordSets_->SettingsRecordLive()) BufferSetSaved();  // the run's autosave is not needed
}

void CMainFrame::ExportSpectrumCsv(bool hardSize) {
  const QString path = QFileDialog::getSaveFileName(this, "Export Spectrum As...", lastFolder_,
                                                    "CSV File (*.csv);;Text File (*.txt);;All Files (*.*)",
                                                    nullptr, QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return;
  lastFolder_ = QFileInfo(path).absolutePath();
  CDialogTag tagDialog(this);
  const AcquisitionTimes times = acquisitionPanel_->ShownTimes();
  LogFailureReason(ExportSpectrumAs(*recordSets_, path.toStdString(), hardSize, times, *userDialog_, tagDialog));
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
  const AcquisitionTimes times = acquisitionPanel_->ShownTimes();
  const InterchangeExport kind = spe                                     ? InterchangeExport::SpeThisSpectrum
                                 : command == kExportN42OneCommand ? InterchangeExport::N42ThisSpectrum
                                                                   : InterchangeExport::N42AllSpectra;
  LogFailureReason(
      ExportInterchangeAs(*recordSets_, path.toStdString(), kind, times, clock_.UtcMilliseconds(), *userDialog_, tagDialog));
}

}  // namespace mirvo
