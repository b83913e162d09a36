// The main window's register debugger: the "Debug" pane's form, and the Hardware menu's Copy
// Registers and About Hardware, whose decisions and texts are the core's.
#include <QScrollArea>

#include "display/gui/QtUserDialog.h"
#include "panels/HardwareCommands.h"
#include "panels/gui/CDebugView.h"
#include "shell/Commands.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/MainDebugger.h"
#include "shell/gui/PanelPane.h"

namespace mirvo {

void CMainFrame::BuildDebugger() {
  debugger_ = std::make_unique<MainDebugger>(*panelHost_, *lifecycle_, *userDialog_, this);
  auto* view = new CDebugView(debugger_->panel);
  debugger_->view = view;
  debugger_->panel.onChanged = [view] { view->ShowValues(); };
  debugger_->panel.Initialise();
  auto* scroll = new QScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(view);
  debugger_->form = scroll;
  // The pane was made with a note in the form's place.
  QDockWidget* pane = Pane("DebugPane");
  delete pane->widget();
  pane->setWidget(scroll);
}

RegisterDebuggerPanel& CMainFrame::Debugger() { return debugger_->panel; }

void CMainFrame::RunRegisterCommand(int command) {
  switch (command) {
    case cmd::kCopyRegistersBufferToFile: CopyRegistersBufferToFile(*recordSets_); break;
    case cmd::kCopyRegistersFileToBuffer:
      CopyRegistersFileToBuffer(*recordSets_, lifecycle_->Link(), panelHost_->SeriesRunning(), *userDialog_);
      break;
    case cmd::kAboutHardware:
      userDialog_->ShowMessage(AboutHardwareText(recordSets_->ActivePlot(0).Record(), samplePeriod_.Us()),
                               kAboutHardwareCaption, MessageIcon::Information);
      break;
    default: break;
  }
}

}  // namespace mirvo
