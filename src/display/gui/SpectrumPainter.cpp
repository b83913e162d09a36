#include "display/gui/SpectrumPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace mirvo {

QColor ToQColor(std::uint32_t rgb) {
  return QColor(static_cast<int>(rgb & 0xFFu), static_cast<int>((rgb >> 8) & 0xFFu), static_cast<int>((rgb >> 16) & 0xFFu));
}

std::uint32_t FromQColor(const QColor& colour) {
  return static_cast<std::uint32_t>(colour.red()) | static_cast<std::uint32_t>(colour.green()) << 8 |
         static_cast<std::uint32_t>(colour.blue()) << 16;
}

QFont PlotLabelFont() {
  QFont font("Arial");
  font.setBold(true);
  font.setPixelSize(16);
  return font;
}

namespace {

// A label's text cell is 16 pixels high with the baseline 13 pixels below its top, as in Arial;
// placing the baseline ourselves keeps a substituted font with taller line metrics inside the cell.
constexpr int kLabelHeight = 16;
constexpr int kLabelBaseline = 13;

enum class Align { Left, Centre, Right };

void DrawLabel(QPainter& p, const std::string& text, int x, int top, Align align) {
  const QString label = QString::fromStdString(text);
  const int advance = p.fontMetrics().horizontalAdvance(label);
  if (align == Align::Right) x -= advance;
  if (align == Align::Centre) x -= advance / 2;
  p.drawText(QPoint(x, top + kLabelBaseline), label);
}

// Collects pixel-column runs [from, to] into rectangles of the plot's height. Many scattered runs
// become their bounding rectangle: one larger blit is cheaper than a region of hundreds of pieces.
class RunCollector {
 public:
  static constexpr std::size_t kMaxRects = 32;
  RunCollector(int top, int bottom) : top_(top), bottom_(bottom) {}
  void Add(int x) {
    if (open_ && x == to_ + 1) {
      to_ = x;
      return;
    }
    Flush();
    from_ = to_ = x;
    open_ = true;
  }
  QRegion Region() {
    Flush();
    QRegion region;
    if (rects_.size() > kMaxRects) {
      region = QRect(QPoint(rects_.front().left(), top_), QPoint(rects_.back().right(), bottom_));
    } else {
      region.setRects(rects_.data(), static_cast<int>(rects_.size()));
    }
    return region;
  }

 private:
  void Flush() {
    if (open_) rects_.emplace_back(from_, top_, to_ - from_ + 1, bottom_ - top_ + 1);
    open_ = false;
  }
  int top_;
  int bottom_;
  int from_ = 0;
  int to_ = 0;
  bool open_ = false;
  std::vector<QRect> rects_;
};

int PointPenWidth(const PlotGeometry& g) { return std::clamp(g.pixelsPerChannel, 1, 20); }

}  // namespace

QRect SpectrumPainter::PlotRect() const {
  const PlotGeometry& g = geometry_;
  return QRect(QPoint(g.left, g.top), QPoint(g.right, g.bottom));
}

QRegion SpectrumPainter::Render(const PlotFrame& frame, QSize size, qreal devicePixelRatio, bool full) {
  if (size.isEmpty()) {
    valid_ = false;
    return {};
  }
  geometry_ = frame.geometry;
  const PlotColours& colours = frame.colours;
  style_ = frame.drawStyle;
  full = full || !valid_ || size != renderedSize_ || devicePixelRatio != renderedRatio_ || style_ != drawnStyle_ ||
         !(colours == drawnColours_) || frame.first != drawnFirst_ || frame.viewWidth != drawnWidth_;
  // A background overlay crosses the columns and its caption shares the scale label's band: a plot
  // that shows one, or showed one last time, is drawn whole.
  const bool decorated = !frame.overlay.empty() || !frame.viewCaption.empty();
  full = full || decorated || drawnDecorated_;
  if (full && (image_.size() != size * devicePixelRatio || image_.devicePixelRatio() != devicePixelRatio)) {
    image_ = QPixmap(size * devicePixelRatio);
    image_.setDevicePixelRatio(devicePixelRatio);
  }
  renderedSize_ = size;
  renderedRatio_ = devicePixelRatio;
  if (full) font_ = PlotLabelFont();
  spectrum_ = ToQColor(colours.spectrum);
  roi_ = ToQColor(colours.roi);
  background_ = ToQColor(colours.background);

  QPainter p(&image_);
  QRegion dirty;
  if (full) {
    PaintBackgroundAndAxes(p);
    dirty = QRect(QPoint(0, 0), size);
  }
  if (labels_.BottomChanged(frame.labels, full)) PaintBottomLabels(p, frame.labels, dirty);
  if (labels_.ScaleChanged(frame.labels, full)) PaintScaleLabel(p, frame.labels, dirty);
  const std::vector<int>& changed = columns_.Update(frame, full);
  if (style_ == 1 || style_ == 2)
    PaintColumns(p, frame.columns, changed, style_ == 2, dirty);
  else
    PaintPoints(p, frame.points, full, dirty);
  // The top tick reaches into the plot area, where columns may have been repainted.
  const PlotGeometry& g = geometry_;
  p.fillRect(QRect(g.left - 4, g.top, 9, 1), spectrum_);
  if (decorated) PaintBackgroundView(p, frame, ToQColor(colours.overlay));
  drawnDecorated_ = decorated;

  drawnPoints_ = frame.points;
  drawnFirst_ = frame.first;
  drawnWidth_ = frame.viewWidth;
  drawnStyle_ = style_;
  drawnColours_ = colours;
  valid_ = true;
  return dirty;
}

void SpectrumPainter::PaintBackgroundAndAxes(QPainter& p) {
  const PlotGeometry& g = geometry_;
  p.fillRect(QRect(QPoint(0, 0), renderedSize_), background_);
  const int w = g.width;
  p.fillRect(QRect(QPoint(g.left - 1, g.top), QPoint(g.left - 1, g.bottom + 8)), spectrum_);  // vertical axis
  p.fillRect(QRect(QPoint(g.left - 8, g.bottom + 1), QPoint(g.right, g.bottom + 1)), spectrum_);  // base line
  for (int x : {g.right - 1, g.left + w / 4, g.left + w / 2, g.left + 3 * w / 4})
    p.fillRect(QRect(QPoint(x, g.bottom + 1), QPoint(x, g.bottom + 8)), spectrum_);
}

void SpectrumPainter::PaintBottomLabels(QPainter& p, const PlotLabels& labels, QRegion& dirty) {
  const PlotGeometry& g = geometry_;
  const int y = g.bottom + 9;
  const int width = renderedSize_.width();
  const QRect strip(0, y, width, kLabelHeight);
  p.fillRect(strip, background_);
  p.setFont(font_);
  p.setPen(spectrum_);
  DrawLabel(p, labels.firstText, g.left - 10, y, Align::Left);
  DrawLabel(p, labels.lastText, g.right + 6, y, Align::Right);
  DrawLabel(p, labels.middleText, g.left + g.width / 2, y, Align::Centre);
  dirty += strip;
}

void SpectrumPainter::PaintScaleLabel(QPainter& p, const PlotLabels& labels, QRegion& dirty) {
  const PlotGeometry& g = geometry_;
  const QRect band(0, 0, renderedSize_.width(), g.top);
  p.fillRect(band, background_);
  p.setFont(font_);
  p.setPen(spectrum_);
  const QPoint at = labels.scaleIsLog ? QPoint(8, 1) : QPoint(4, 2);
  DrawLabel(p, labels.scaleText, at.x(), at.y(), Align::Left);
  dirty += band;
}

// Filled histogram: a column of h pixels above the base line. Outline: the column's top pixel and
// a riser to its left neighbour's top, so a changed column also changes the riser right of it.
void SpectrumPainter::PaintColumns(QPainter& p, const std::vector<PlotColumn>& columns, const std::vector<int>& changed,
                                     bool outline, QRegion& dirty) {
  const PlotGeometry& g = geometry_;
  const int count = static_cast<int>(columns.size());
  RunCollector runs(g.top, g.bottom);
  int lastPainted = -1;
  auto paint = [&](int i) {
    if (i >= count || i <= lastPainted) return;
    lastPainted = i;
    const int x = g.left + i;
    p.fillRect(QRect(x, g.top, 1, g.bottom - g.top + 1), background_);
    const PlotColumn& column = columns[static_cast<std::size_t>(i)];
    const QColor& colour = column.roi ? roi_ : spectrum_;
    if (!outline) {
      if (column.y < g.bottom) p.fillRect(QRect(x, column.y + 1, 1, g.bottom - column.y), colour);
    } else {
      const int here = column.y;
      const int before = i > 0 ? columns[static_cast<std::size_t>(i - 1)].y : here;
      const int from = std::min(here, before) + 1;
      const int to = std::min(std::max(here, before) + 1, g.bottom);
      if (from <= to) p.fillRect(QRect(x, from, 1, to - from + 1), colour);
    }
    runs.Add(x);
  };
  for (int i : changed) {
    paint(i);
    if (outline) paint(i + 1);
  }
  dirty += runs.Region();
}

// Points and lines are drawn per channel; a changed channel repaints the stretch from its left to
// its right neighbour, wide enough for the point pen.
void SpectrumPainter::PaintPoints(QPainter& p, const std::vector<PlotPoint>& points, bool full, QRegion& dirty) {
  const PlotGeometry& g = geometry_;
  const int n = static_cast<int>(points.size());
  const int reach = PointPenWidth(g) / 2 + 2;
  std::vector<std::pair<int, int>> stretches;
  if (full || drawnPoints_.size() != points.size()) {
    stretches.emplace_back(g.left, g.right);
  } else {
    for (int j = 0; j < n; ++j) {
      const PlotPoint& now = points[static_cast<std::size_t>(j)];
      const PlotPoint& was = drawnPoints_[static_cast<std::size_t>(j)];
      if (now.y == was.y && now.roi == was.roi) continue;
      const int from = points[static_cast<std::size_t>(std::max(j - 1, 0))].x - reach;
      const int to = points[static_cast<std::size_t>(std::min(j + 1, n - 1))].x + reach;
      if (!stretches.empty() && from <= stretches.back().second + 1)
        stretches.back().second = std::max(stretches.back().second, to);
      else
        stretches.emplace_back(from, to);
    }
  }
  for (const auto& [from, to] : stretches) {
    const QRect area = QRect(QPoint(from, g.top), QPoint(to, g.bottom)).intersected(PlotRect());
    if (area.isEmpty()) continue;
    PaintPointRun(p, points, area.left(), area.right());
    dirty += area;
  }
}

void SpectrumPainter::PaintPointRun(QPainter& p, const std::vector<PlotPoint>& points, int fromX, int toX) {
  const PlotGeometry& g = geometry_;
  const QRect area(QPoint(fromX, g.top), QPoint(toX, g.bottom));
  p.save();
  p.setClipRect(area);
  p.fillRect(area, background_);
  const int penWidth = PointPenWidth(g);
  const int reach = penWidth / 2 + 2;
  auto byX = [](const PlotPoint& point, int x) { return point.x < x; };
  auto begin = std::lower_bound(points.begin(), points.end(), fromX - reach, byX);
  auto end = std::lower_bound(begin, points.end(), toX + reach + 1, byX);
  if (style_ == 0) {
    const int markHeight = penWidth > 1 ? 1 : 2;
    for (auto it = begin; it != end; ++it)
      p.fillRect(QRect(it->x - penWidth / 2, it->y, penWidth, markHeight), it->roi ? roi_ : spectrum_);
  } else {
    // A segment joins each point to its left neighbour, in the colour of the right one.
    if (begin != points.begin()) --begin;
    if (end != points.end()) ++end;
    for (auto it = begin; it != end; ++it) {
      if (it == points.begin()) continue;
      const auto previous = std::prev(it);
      p.setPen(QPen(it->roi ? roi_ : spectrum_, 1));
      p.drawLine(QPoint(previous->x, previous->y), QPoint(it->x, it->y));
    }
  }
  p.restore();
}

void SpectrumPainter::PaintBackgroundView(QPainter& p, const PlotFrame& frame, const QColor& colour) {
  const PlotGeometry& g = geometry_;
  if (frame.overlay.size() > 1) {
    p.save();
    p.setClipRect(PlotRect());
    p.setPen(QPen(colour, 1));
    for (std::size_t i = 1; i < frame.overlay.size(); ++i) {
      const PlotPoint& a = frame.overlay[i - 1];
      const PlotPoint& b = frame.overlay[i];
      p.drawLine(QPoint(a.x, a.y), QPoint(b.x, b.y));
    }
    p.restore();
  }
  if (!frame.viewCaption.empty()) {
    p.setFont(font_);
    p.setPen(colour);
    DrawLabel(p, frame.viewCaption, g.right + 6, 2, Align::Right);
  }
}

QRect SpectrumPainter::CursorRect(int cursorChannel) const {
  const PlotGeometry& g = geometry_;
  if (!valid_ || drawnWidth_ <= 0) return {};
  const int x = std::clamp(g.ChannelToX(cursorChannel, drawnFirst_, drawnWidth_), g.left, std::max(g.left, g.right));
  return QRect(QPoint(x, g.top), QPoint(x, g.bottom));
}

void SpectrumPainter::PaintTo(QPainter& painter, int cursorChannel, std::uint32_t cursorColour) const {
  if (!valid_) return;
  painter.drawPixmap(0, 0, image_);
  // Exclusive-or: the cursor colour on the background, a contrasting colour over the spectrum.
  painter.save();
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.fillRect(CursorRect(cursorChannel), ToQColor(cursorColour));
  painter.restore();
}

}  // namespace mirvo
