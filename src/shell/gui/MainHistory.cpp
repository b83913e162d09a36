// The main window's "History" pane: strip charts of the running acquisition and of a logged
// series, fed by every status read (the refresh chain) and every tick.
#include "display/gui/QtUserDialog.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/MainHistory.h"
#include "shell/gui/MainLinkHost.h"
#include "shell/gui/PanelPane.h"
#include "acquisition/AcquisitionPanel.h"

namespace mirvo {

void CMainFrame::BuildHistory() {
  history_ = std::make_unique<MainHistory>(*linkHost_, clock_, *lifecycle_, acquisitionPanel_.get(), this);
  history_->view = new HistoryView(history_->recorder, history_->files, *userDialog_);
  new PanelPane("History", "HistoryPane", history_->view, this);
}

void CMainFrame::TickHistory() {
  SpectrumPlot& s1 = recordSets_->BufferPlot(1);
  SpectrumPlot& s0 = recordSets_->BufferPlot(0);
  if (history_->recorder.Recording()) {
    // A plot that is not shown does not fold its counts at the tick: the history does it.
    if (!s1.Visible()) s1.RebuildSoftSpectrum();
    if (!s0.Visible()) s0.RebuildSoftSpectrum();
  }
  history_->recorder.OnTick(s1, s0);
  if (history_->view) history_->view->Tick();
}

HistoryRecorder& CMainFrame::History() { return history_->recorder; }

}  // namespace mirvo
