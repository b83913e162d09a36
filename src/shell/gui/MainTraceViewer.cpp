// The main window's trace viewer: the viewer joined to the connection, its form in the "Trace
// Viewer" pane, the shaper and amplifier panels re-applying its fields, and its export and copy
// commands.
#include "shell/gui/MainTraceViewer.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QScrollArea>

#include "acquisition/LinkLifecycle.h"
#include "display/gui/QtUserDialog.h"
#include "files/TraceCsv.h"
#include "panels/RecordSetsAmplifierHost.h"
#include "panels/RecordSetsPanelHost.h"
#include "panels/ShaperPanel.h"
#include "shell/gui/CMainFrame.h"
#include "shell/gui/MainAmplifier.h"
#include "shell/gui/PanelPane.h"
#include "traces/gui/COscopeView.h"

namespace mirvo {

void CMainFrame::BuildTraceViewer() {
  traceViewer_ = std::make_unique<MainTraceViewer>(
      *panelHost_, samplePeriod_, [this] { return shaperPanel_ ? shaperPanel_->LongTc() : 4000; },
      [this] { return shaperPanel_ ? shaperPanel_->BdcValue() : 1.0; });
  MainTraceViewer& t = *traceViewer_;
  t.viewer.Attach(*lifecycle_);
  t.view = new COscopeView(t.viewer);
  t.viewer.onChanged = [view = t.view] { view->ShowValues(); };
  t.viewer.onTraceChanged = [view = t.view] { view->ShowTrace(); };
  t.viewer.Initialise();
  panelHost_->onClockChanged = [&t] { t.viewer.UpdateTimeBase(); };
  panelHost_->onReapplyTraceFields = [&t] { t.viewer.ApplyToImage(); };
  if (amplifier_) amplifier_->host.onTraceViewerApply = [&t] { t.viewer.ApplyToImage(); };
  auto* scroll = new QScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(t.view);
  settingsPanes_[4] = new PanelPane("Trace Viewer", "TraceViewerPane", scroll, this);
}

void CMainFrame::DestroyTraceViewer() {
  if (!traceViewer_) return;
  if (panelHost_) panelHost_->onClockChanged = panelHost_->onReapplyTraceFields = nullptr;
  if (amplifier_) amplifier_->host.onTraceViewerApply = nullptr;
  delete settingsPanes_[4];  // the form goes before the viewer it shows
  settingsPanes_[4] = nullptr;
  traceViewer_.reset();
}

TraceViewer* CMainFrame::Traces() const { return traceViewer_ ? &traceViewer_->viewer : nullptr; }

COscopeView* CMainFrame::TraceView() const { return traceViewer_ ? traceViewer_->view : nullptr; }

void CMainFrame::ExportTraces(bool normalised) {
  if (!traceViewer_) return;
  const QString path = QFileDialog::getSaveFileName(this, "Export Traces...", lastFolder_, "CSV File (*.csv)", nullptr,
                                                    QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return;
  lastFolder_ = QFileInfo(path).absolutePath();
  ExportTracesAs(path.toStdString(), traceViewer_->viewer.ExportInput(), normalised, *userDialog_);
}

void CMainFrame::CopyTraceView(bool wholeViewer) {
  if (!traceViewer_) return;
  CopyPicture(wholeViewer ? static_cast<QWidget*>(traceViewer_->view) : traceViewer_->view->Screen());
}

}  // namespace mirvo
