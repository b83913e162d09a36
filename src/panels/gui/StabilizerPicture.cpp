#include "panels/gui/StabilizerPicture.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace mirvo {
namespace {

// The peak in units of its FWHM: x from -1.5 to 1.5, height 1 at the centre.
double Peak(double x) { return std::exp(-4.0 * std::log(2.0) * x * x); }

}  // namespace

StabilizerPicture::StabilizerPicture(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
  setObjectName(kind == Kind::kWindows ? QStringLiteral("StabilizerWindowsPicture")
                                       : QStringLiteral("StabilizerRecommendedPicture"));
}

void StabilizerPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), palette().base());
  const QFontMetrics metrics = painter.fontMetrics();
  const int line = metrics.height();
  // Room for the "C" above and two rows of edge names (inner, then outer) and a note below.
  const QRectF area = QRectF(rect()).adjusted(10, line + 6, -10, -(3 * line + 8));
  const double range = 1.1;  // the peak from -range to +range FWHM
  const auto X = [&](double u) { return area.left() + (u + range) / (2 * range) * area.width(); };
  const auto Y = [&](double h) { return area.bottom() - h * area.height(); };

  // Edges in FWHM units: w is a quarter FWHM in both pictures.
  const double edges[4] = {-0.5, -0.25, 0.25, 0.5};
  QPainterPath curve;
  for (int i = 0; i <= 240; ++i) {
    const double u = -range + 2 * range * i / 240.0;
    const QPointF p(X(u), Y(Peak(u)));
    i == 0 ? curve.moveTo(p) : curve.lineTo(p);
  }
  const QColor ink = palette().color(QPalette::Text);
  const QColor accent(220, 70, 50);

  if (kind_ == Kind::kWindows) {
    for (int side = 0; side < 2; ++side) {
      const double from = edges[side == 0 ? 0 : 2], to = edges[side == 0 ? 1 : 3];
      QPainterPath window;
      window.moveTo(X(from), Y(0));
      for (int i = 0; i <= 40; ++i) {
        const double u = from + (to - from) * i / 40.0;
        window.lineTo(X(u), Y(Peak(u)));
      }
      window.lineTo(X(to), Y(0));
      window.closeSubpath();
      painter.fillPath(window, QBrush(accent, Qt::BDiagPattern));
      painter.setPen(QPen(accent, 1.5));
      painter.drawPath(window);
    }
  }
  painter.setPen(QPen(ink, 2));
  painter.drawPath(curve);
  painter.setPen(QPen(ink, 1));
  painter.drawLine(QPointF(area.left(), Y(0)), QPointF(area.right(), Y(0)));

  painter.setPen(QPen(ink, 1, Qt::DashLine));
  painter.drawLine(QPointF(X(0), Y(0)), QPointF(X(0), Y(1.0)));
  painter.drawText(QRectF(X(0) - 20, area.top() - line - 2, 40, line), Qt::AlignCenter, QStringLiteral("C"));
  const char* names[4] = {"C-2w", "C-w", "C+w", "C+2w"};
  for (int k = 0; k < 4; ++k) {
    painter.setPen(QPen(accent, 1, Qt::DashLine));
    painter.drawLine(QPointF(X(edges[k]), Y(0)), QPointF(X(edges[k]), Y(1.0)));
    painter.setPen(ink);
    const QString name = QString::fromLatin1(names[k]);
    const qreal width = metrics.horizontalAdvance(name) + 4;
    const qreal row = (k == 1 || k == 2) ? 0 : 1;  // inner names first, outer names below them
    painter.drawText(QRectF(X(edges[k]) - width / 2, Y(0) + 2 + row * line, width, line), Qt::AlignCenter, name);
  }
  const QRectF note(rect().left() + 4, Y(0) + 2 * line + 4, rect().width() - 8, line);
  if (kind_ == Kind::kRecommended) {
    // The outer edges sit at half height, one FWHM apart; the inner edges half an FWHM apart.
    const auto Span = [&](double from, double to, qreal y, const QString& text) {
      painter.setPen(QPen(ink, 1));
      painter.drawLine(QPointF(X(from), y), QPointF(X(to), y));
      for (double u : {from, to}) painter.drawLine(QPointF(X(u), y - 4), QPointF(X(u), y + 4));
      const qreal width = metrics.horizontalAdvance(text) + 6;
      const QRectF box((X(from) + X(to) - width) / 2, y - line - 1, width, line);
      painter.fillRect(box, palette().base());
      painter.drawText(box, Qt::AlignCenter, text);
    };
    Span(-0.5, 0.5, Y(0.5), QStringLiteral("FWHM"));
    Span(-0.25, 0.25, Y(0.22), QStringLiteral("FWHM/2"));
    painter.drawText(note, Qt::AlignCenter, QStringLiteral("w = FWHM / 4"));
  } else {
    painter.drawText(note, Qt::AlignCenter, QStringLiteral("the two hatched windows are compared"));
  }
}

}  // namespace mirvo
