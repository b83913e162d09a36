#include "monitor/gui/HistoryCharts.h"

#include <QPaintEvent>
#include <QResizeEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "base/TextFormat.h"
#include "monitor/HistoryChart.h"

namespace mirvo {

namespace {

constexpr int kLeftMargin = 56;
constexpr int kTitleHeight = 16;
constexpr int kTimeLabelHeight = 14;
constexpr int kSpacing = 8;

const QColor kLine(20, 70, 160);
const QColor kBand(150, 180, 230);
const QColor kGap(230, 60, 40, 45);      // no samples
const QColor kStalled(240, 150, 0, 60);  // samples, but no counts
const QColor kGrid(225, 225, 225);

int Columns(int width) { return width >= 1500 ? 4 : width >= 700 ? 2 : 1; }
int Rows(int width) {
  const int columns = Columns(width);
  return static_cast<int>((kHistoryQuantities + static_cast<std::size_t>(columns) - 1) / static_cast<std::size_t>(columns));
}


QString LastValueText(const HistoryBuffer& buffer, std::size_t q) {
  for (std::size_t i = buffer.Size(); i-- > 0;) {
    const HistoryStat& s = buffer.At(i).stats[q];
    if (s.n > 0) return QString::fromStdString(FormatText("%.5g", s.Mean()));
  }
  return "-----------";
}

}  // namespace

HistoryCharts::HistoryCharts(QWidget* parent) : QWidget(parent) {
  setObjectName("HistoryCharts");
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
}

QSize HistoryCharts::minimumSizeHint() const { return {320, Rows(width()) * 100}; }

void HistoryCharts::resizeEvent(QResizeEvent* event) {
  const int before = Rows(event->oldSize().width());
  QWidget::resizeEvent(event);
  if (Rows(width()) != before) updateGeometry();
}

void HistoryCharts::SetBuffer(const HistoryBuffer* buffer, bool perRun) {
  buffer_ = buffer;
  perRun_ = perRun;
  update();
}

void HistoryCharts::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (buffer_ == nullptr || buffer_->Empty()) {
    painter.setPen(Qt::darkGray);
    painter.drawText(QRect(0, 0, width(), std::min(height(), 60)), Qt::AlignCenter,
                     perRun_ ? "No logged series yet: a point is added as each run of a series ends."
                             : "No samples yet: the history fills while an acquisition runs.");
    return;
  }
  const int columns = Columns(width());
  const int rows = Rows(width());
  const int cellWidth = width() / columns;
  const int cellHeight = height() / rows;
  const double end = buffer_->LastTime();
  for (std::size_t q = 0; q < kHistoryQuantities; ++q) {
    const int row = static_cast<int>(q) / columns;
    const int column = static_cast<int>(q) % columns;
    const QRect cell(column * cellWidth, row * cellHeight, cellWidth, cellHeight);
    PaintChart(painter, cell.adjusted(kSpacing, kSpacing / 2, -kSpacing, -kSpacing / 2), static_cast<HistoryQuantity>(q),
               end);
  }
}

void HistoryCharts::PaintChart(QPainter& painter, const QRect& area, HistoryQuantity quantity, double end) {
  const std::size_t q = Index(quantity);
  const HistoryQuantityInfo& info = InfoOf(quantity);
  const QFontMetrics metrics(font());

  QString title = info.title;
  if (*info.unit != '\0') title += QString(" [%1]").arg(info.unit);
  if (perRun_) title += ", mean per run";
  painter.setPen(Qt::black);
  painter.drawText(QRect(area.left(), area.top(), area.width(), kTitleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(title, Qt::ElideRight, area.width() - 90));
  painter.setPen(kLine);
  painter.drawText(QRect(area.left(), area.top(), area.width(), kTitleHeight), Qt::AlignRight | Qt::AlignVCenter,
                   LastValueText(*buffer_, q));

  const QRect plot(area.left() + kLeftMargin, area.top() + kTitleHeight + 2, area.width() - kLeftMargin - 4,
                   area.height() - kTitleHeight - kTimeLabelHeight - 4);
  if (plot.width() < 10 || plot.height() < 10) return;

  const TimeAxis time = ChooseTimeAxis(end, std::max(2, plot.width() / 70));
  const std::vector<ChartColumn> columns = ChartColumns(*buffer_, quantity, 0.0, time.end, plot.width());
  double low = 0, high = 0;
  const bool any = ColumnRange(columns, low, high);
  const ValueAxis values = ChooseValueAxis(low, high, std::max(2, plot.height() / 22));
  auto yOf = [&](double v) {
    return plot.bottom() - (v - values.low) / (values.high - values.low) * plot.height();
  };
  auto xOf = [&](double seconds) { return plot.left() + seconds / time.end * plot.width(); };

  // Grid and axes.
  painter.setPen(kGrid);
  for (const AxisTick& tick : values.ticks) painter.drawLine(QPointF(plot.left(), yOf(tick.value)), QPointF(plot.right(), yOf(tick.value)));
  for (const AxisTick& tick : time.ticks) painter.drawLine(QPointF(xOf(tick.value), plot.top()), QPointF(xOf(tick.value), plot.bottom()));
  painter.setPen(Qt::darkGray);
  painter.drawRect(plot);
  for (const AxisTick& tick : values.ticks)
    painter.drawText(QRectF(area.left(), yOf(tick.value) - 7, kLeftMargin - 4, 14), Qt::AlignRight | Qt::AlignVCenter,
                     QString::fromStdString(tick.label));
  for (std::size_t i = 0; i < time.ticks.size(); ++i) {
    QString label = QString::fromStdString(time.ticks[i].label);
    if (i + 1 == time.ticks.size()) label += QString(" ") + time.unit;
    const double x = xOf(time.ticks[i].value);
    const int w = metrics.horizontalAdvance(label) + 4;
    const double left = i + 1 == time.ticks.size() ? x - w : std::max<double>(plot.left(), x - w / 2.0);
    painter.drawText(QRectF(left, plot.bottom() + 1, w, kTimeLabelHeight), Qt::AlignCenter, label);
  }
  if (!any) {
    painter.setPen(Qt::gray);
    painter.drawText(plot, Qt::AlignCenter, "no value");
    return;
  }

  // Gaps (no sample for a while) and stopped counting shaded across the plot height; then the band
  // and the mean line.
  painter.save();
  painter.setClipRect(plot.adjusted(-2, -2, 2, 2));  // a line on the edge stays visible
  const std::vector<bool> stalled = StalledColumns(*buffer_, 0.0, time.end, plot.width());
  for (int x = 0; x < static_cast<int>(stalled.size()); ++x)
    if (stalled[static_cast<std::size_t>(x)]) painter.fillRect(QRect(plot.left() + x, plot.top() + 1, 1, plot.height() - 1), kStalled);
  int previous = -1;
  for (int x = 0; x < static_cast<int>(columns.size()); ++x) {
    const ChartColumn& c = columns[static_cast<std::size_t>(x)];
    if (!c.valid) continue;
    if (previous >= 0 && !c.joined)
      painter.fillRect(QRect(plot.left() + previous + 1, plot.top() + 1, x - previous - 1, plot.height() - 1), kGap);
    previous = x;
  }
  painter.setPen(kBand);
  for (int x = 0; x < static_cast<int>(columns.size()); ++x) {
    const ChartColumn& c = columns[static_cast<std::size_t>(x)];
    if (c.valid && c.max > c.min) painter.drawLine(QPointF(plot.left() + x + 0.5, yOf(c.min)), QPointF(plot.left() + x + 0.5, yOf(c.max)));
  }
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(kLine, 1.5));
  QPainterPath path;
  bool open = false;
  for (int x = 0; x < static_cast<int>(columns.size()); ++x) {
    const ChartColumn& c = columns[static_cast<std::size_t>(x)];
    if (!c.valid) continue;
    const QPointF point(plot.left() + x + 0.5, yOf(c.mean));
    if (open && c.joined) path.lineTo(point);
    else path.moveTo(point);
    open = true;
    if (perRun_) painter.drawEllipse(point, 2.5, 2.5);
  }
  painter.drawPath(path);
  painter.restore();
}

}  // namespace mirvo
