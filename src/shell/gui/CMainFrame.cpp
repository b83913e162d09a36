#include "shell/gui/CMainFrame.h"

#include <QLabel>

#include "shell/OutputLog.h"
#include "shell/gui/COutputWnd.h"

namespace mirvo {
namespace {
CMainFrame* theMainFrame = nullptr;
}

CMainFrame* MainFrame() { return theMainFrame; }

CMainFrame::CMainFrame(const IClock& clock, QWidget* parent)
    : QMainWindow(parent), outputLog_(std::make_unique<COutputLog>(clock)) {
  setObjectName("MainFrame");
  setWindowTitle("mirvo-PSD");
  resize(1200, 800);
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks | QMainWindow::AllowTabbedDocks);

  auto* central = new QLabel(this);
  central->setObjectName("SpectrumArea");
  central->setAlignment(Qt::AlignCenter);
  setCentralWidget(central);

  outputPane_ = new COutputWnd(*outputLog_, this);
  addDockWidget(Qt::BottomDockWidgetArea, outputPane_);
  outputLog_->AddLine("Start Application");
  theMainFrame = this;
}

CMainFrame::~CMainFrame() {
  if (theMainFrame == this) theMainFrame = nullptr;
  // Panes hold references to core objects owned here: they go first.
  delete outputPane_;
}

}  // namespace mirvo
