// What the main window keeps for the "History" pane: the recorder on the live record and the
// connection, its file dialog and its form (deleted before the recorder goes).
#pragma once

#include <QPointer>
#include <QWidget>

#include "monitor/HistoryRecorder.h"
#include "monitor/gui/HistoryView.h"
#include "panels/gui/QtFileChooser.h"

namespace mirvo {

struct MainHistory {
  MainHistory(IAcquisitionHost& host, const IClock& clock, LinkLifecycle& lifecycle, const ILoggedSeries* series,
              QWidget* window)
      : files(window), recorder(host, clock) {
    recorder.Attach(lifecycle, series);
  }
  ~MainHistory() { delete view; }
  MainHistory(const MainHistory&) = delete;
  MainHistory& operator=(const MainHistory&) = delete;

  QtFileChooser files;
  HistoryRecorder recorder;
  QPointer<HistoryView> view;
};

}  // namespace mirvo
