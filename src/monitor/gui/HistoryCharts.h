// The History pane's strip charts: one per quantity over time, the minimum-to-maximum band of each
// pixel column with the mean line over it, gaps shaded, a time axis in s/min/h/d and value units.
// It draws what HistoryChart decides.
#pragma once

#include <QWidget>

#include "monitor/HistoryBuffer.h"

class QPainter;

namespace mirvo {

class HistoryCharts : public QWidget {
  Q_OBJECT
 public:
  explicit HistoryCharts(QWidget* parent = nullptr);
  // The samples to draw (null for none); `perRun` draws each point as a marker.
  void SetBuffer(const HistoryBuffer* buffer, bool perRun);
  QSize sizeHint() const override { return {960, 420}; }
  // Rows of at least 100 pixels; fewer rows as the pane gets wider.
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PaintChart(QPainter& painter, const QRect& area, HistoryQuantity quantity, double end);

  const HistoryBuffer* buffer_ = nullptr;
  bool perRun_ = false;
};

}  // namespace mirvo
