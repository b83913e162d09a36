// The main window's background commands: File > Open Background... and Close Background, the Show
// Background and Net Spectrum toggles, and the background settings kept between runs. The records
// and the views are the core's (display/BackgroundSet, files/BackgroundFile).
#include <QAction>
#include <QFileDialog>

#include "base/TextFormat.h"
#include "display/BackgroundSet.h"
#include "display/gui/QtUserDialog.h"
#include "files/BackgroundFile.h"
#include "files/FileResult.h"
#include "shell/BackgroundCommands.h"
#include "shell/BackgroundSettings.h"
#include "shell/Commands.h"
#include "shell/OutputLog.h"
#include "shell/gui/CMainFrame.h"

namespace mirvo {

void CMainFrame::OpenBackgroundFile() {
  QString start = QString::fromStdString(LoadBackgroundPath(settingsBackend_));
  if (start.isEmpty()) start = lastFolder_;
  const QString path = QFileDialog::getOpenFileName(
      this, "Open Background File", start,
      "Kvetral Spectrum (*.mps);;N42.42 (*.n42 *.xml);;IAEA SPE (*.spe);;All Files (*.*)");
  if (path.isEmpty()) return;
  OpenBackgroundFile(path);
}

bool CMainFrame::OpenBackgroundFile(const QString& path) {
  SaveBackgroundPath(settingsBackend_, path.toStdString());
  std::vector<std::string> notes;
  const FileResult result = LoadBackgroundFile(*recordSets_, path.toStdString(), notes);
  for (const std::string& note : notes) outputLog_->AddLine(note);
  if (!result.Ok()) {
    std::string line = "Background not loaded: ";
    line.append(path.toStdString());
    if (!result.reason.empty()) line.append(": ").append(result.reason);
    outputLog_->AddLine(line);
    userDialog_->ShowMessage(result.message, kErrorCaption, MessageIcon::Stop);
    return false;
  }
  const BackgroundSet& background = recordSets_->Background();
  std::string line = "Background loaded: ";
  line.append(background.FileName()).append(FormatText(" (live time %.3f s)", background.LiveSeconds()));
  outputLog_->AddLine(line);
  RepaintPanes();
  UpdateBackgroundCommands();
  return true;
}

void CMainFrame::RunBackgroundViewCommand(int command) {
  if (command == cmd::kCloseBackground && recordSets_->Background().Loaded())
    outputLog_->AddLine("Background closed");
  RunBackgroundCommand(*recordSets_, command);
  RepaintPanes();
}

void CMainFrame::UpdateBackgroundCommands() {
  const CommandStates states = DecideBackgroundCommandStates(recordSets_->Background());
  for (const CommandFlag& flag : states.enabled)
    if (QAction* action = Action(flag.command)) action->setEnabled(flag.on);
  for (const CommandFlag& flag : states.checked)
    if (QAction* action = Action(flag.command)) action->setChecked(flag.on);
}

}  // namespace mirvo
