// The main window's file commands: the file dialogs are the window's; what happens to the records
// and the files is the core's.
#include <QFileDialog>
#include <QFileInfo>

#include "display/gui/QtUserDialog.h"
#include "acquisition/AcquisitionPanel.h"
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
  const QString path = QFileDialog::getOpenFileName(this, "Open Spectrum", lastFolder_, "Spectrum files (*.mps);;All files (*)");
  if (path.isEmpty()) return;
  lastFolder_ = QFileInfo(path).absolutePath();
  if (OpenSpectrum(*recordSets_, path.toStdString(), *userDialog_).Ok()) ShowSpectrumPanes(/*withShaperPane=*/false);
  RepaintPanes();
}

void CMainFrame::SaveSpectrumFileAs() {
  const QString path = QFileDialog::getSaveFileName(this, "Save Spectrum As", lastFolder_, "Spectrum files (*.mps)",
                                                    nullptr, QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return;
  lastFolder_ = QFileInfo(path).absolutePath();
  CDialogTag tagDialog(this);
  const AcquisitionTimes times = acquisitionPanel_->ShownTimes();
  LogFailureReason(SaveSpectrumAs(*recordSets_, path.toStdString(), times, *userDialog_, tagDialog));
}

void CMainFrame::ExportSpectrumCsv(bool hardSize) {
  const QString path = QFileDialog::getSaveFileName(this, "Export Spectrum", lastFolder_, "CSV files (*.csv);;All files (*)",
                                                    nullptr, QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return;
  lastFolder_ = QFileInfo(path).absolutePath();
  CDialogTag tagDialog(this);
  const AcquisitionTimes times = acquisitionPanel_->ShownTimes();
  LogFailureReason(ExportSpectrumAs(*recordSets_, path.toStdString(), hardSize, times, *userDialog_, tagDialog));
}

}  // namespace mirvo
