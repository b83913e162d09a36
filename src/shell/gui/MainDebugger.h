// What the main window keeps for the "Debug" pane: the register debugger panel on the record sets,
// its file dialogs and its form (deleted before the panel goes).
#pragma once

#include <QPointer>
#include <QWidget>

#include "acquisition/LinkLifecycle.h"
#include "panels/RecordSetsPanelHost.h"
#include "panels/RegisterDebuggerPanel.h"
#include "panels/gui/QtFileChooser.h"

namespace mirvo {

class CDebugView;

struct MainDebugger {
  MainDebugger(IPanelHost& host, LinkLifecycle& lifecycle, IUserDialog& dialogs, QWidget* window)
      : files(window), panel(host, dialogs, files) {
    panel.Attach(lifecycle);
  }
  ~MainDebugger() { delete form; }
  MainDebugger(const MainDebugger&) = delete;
  MainDebugger& operator=(const MainDebugger&) = delete;

  QtFileChooser files;
  RegisterDebuggerPanel panel;
  CDebugView* view = nullptr;
  QPointer<QWidget> form;  // the view in its scroll area, in the pane
};

}  // namespace mirvo
