#include "display/gui/CSpectrumWnd.h"

#include <QSignalBlocker>
#include <QTabWidget>

#include "display/RecordSets.h"
#include "display/gui/CSpectrum.h"

namespace mirvo {

CSpectrumWnd::CSpectrumWnd(RecordSets& sets, int spectrum, QWidget* parent)
    : QDockWidget(parent), sets_(sets), spectrum_(spectrum), tabs_(new QTabWidget(this)) {
  setObjectName(QString("SpectrumPaneS%1").arg(spectrum));
  tabs_->setObjectName(QString("SpectrumTabsS%1").arg(spectrum));
  tabs_->setTabPosition(QTabWidget::South);
  tabs_->setDocumentMode(true);
  for (int set : {kBufferSet, kFileSet}) {
    auto* plot = new CSpectrum(sets.Plot(spectrum, set), tabs_);
    plots_[static_cast<std::size_t>(set)] = plot;
    plot->SetBackgroundSource([&sets](const SpectrumPlot& shown) { return PlotBackgroundFor(sets, shown); });
    tabs_->addTab(plot, set == kBufferSet ? "BUFFER" : "FILE");
    connect(plot, &CSpectrum::Activated, this, &CSpectrumWnd::PlotActivated);
  }
  setWidget(tabs_);
  SyncFromRecordSets();
  connect(tabs_, &QTabWidget::currentChanged, this, &CSpectrumWnd::OnTabChanged);
}

CSpectrum* CSpectrumWnd::PlotWidget(int set) const { return plots_[set == kFileSet ? 1 : 0]; }

CSpectrum* CSpectrumWnd::ShownPlotWidget() const { return PlotWidget(sets_.SelectedTab(spectrum_)); }

void CSpectrumWnd::OnTabChanged(int index) {
  const int set = index == 1 ? kFileSet : kBufferSet;
  sets_.SelectTab(spectrum_, set);
  // Choosing a tab activates the pane: its shown plot becomes the active plot of the active
  // spectrum, so the next tick shows the same set in every pane.
  sets_.PaneFocused(spectrum_);
  PlotWidget(set)->setFocus(Qt::TabFocusReason);
  SyncFromRecordSets();
}

void CSpectrumWnd::SyncFromRecordSets() {
  const int selected = sets_.SelectedTab(spectrum_) == kFileSet ? 1 : 0;
  if (tabs_->currentIndex() != selected) {
    // The record tables chose the tab: nothing to forward back to them.
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentIndex(selected);
  }
  const QString title = QString::fromStdString(sets_.PaneTitle(spectrum_));
  if (windowTitle() != title) setWindowTitle(title);
}

void CSpectrumWnd::Tick(RedrawKind least) {
  SyncFromRecordSets();
  ShownPlotWidget()->Redraw(least);
}

}  // namespace mirvo
