// The pane of one spectrum: a dock titled from the record tables, holding the "BUFFER" and "FILE"
// plots of that spectrum as two tabs; the main window's timer calls Tick() to repaint it.
#pragma once

#include <QDockWidget>
#include <array>

#include "display/SpectrumPlot.h"

class QTabWidget;

namespace mirvo {

class RecordSets;
class CSpectrum;

class CSpectrumWnd final : public QDockWidget {
  Q_OBJECT
 public:
  CSpectrumWnd(RecordSets& sets, int spectrum, QWidget* parent = nullptr);

  int SpectrumIndex() const { return spectrum_; }
  // The plot control of a set (kBufferSet or kFileSet).
  CSpectrum* PlotWidget(int set) const;
  // The plot control of the selected tab.
  CSpectrum* ShownPlotWidget() const;
  QTabWidget* Tabs() const { return tabs_; }

  // Every 200 ms: follows the record tables (selected tab, title) and redraws the shown plot,
  // at least partially (RedrawKind::Full after a refresh), or as its redraw bookkeeping asks.
  void Tick(RedrawKind least = RedrawKind::Partial);
  // Follows the record tables now: the selected tab and the pane title.
  void SyncFromRecordSets();

 signals:
  // One of the pane's plots gained the input focus.
  void PlotActivated(int spectrum, bool isBuffer);

 private:
  void OnTabChanged(int index);

  RecordSets& sets_;
  int spectrum_;
  QTabWidget* tabs_;
  std::array<CSpectrum*, 2> plots_{};
};

}  // namespace mirvo
