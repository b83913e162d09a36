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
  const QRectF area = QRectF(rect()).adjusted(10, line + 8, -10, -(2 * line + 8));
  const auto X = [&](double u) { return area.left() + (u + 1.5) / 3.0 * area.width(); };
  const auto Y = [&](double h) { return area.bottom() - h * area.height(); };

  // Edges in FWHM units: the windows picture shows w as a quarter FWHM, like the recommendation.
  const double edges[4] = {-0.5, -0.25, 0.25, 0.5};
  QPainterPath curve;
  for (int i = 0; i <= 240; ++i) {
    const double u = -1.5 + 3.0 * i / 240.0;
    const QPointF p(X(u), Y(Peak(u)));
    i == 0 ? curve.moveTo(p) : curve.lineTo(p);
  }
  const QColor ink = palette().color(QPalette::Text);
  const QColor accent(200, 60, 40);

  if (kind_ == Kind::kWindows) {
    for (int side = 0; side < 2; ++side) {
      const double from = edges[side * 2], to = edges[side * 2 + 1];
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

  const char* names[4] = {"C-2w", "C-w", "C+w", "C+2w"};
  painter.setPen(QPen(ink, 1, Qt::DashLine));
  painter.drawLine(QPointF(X(0), Y(0)), QPointF(X(0), Y(1.02)));
  painter.drawText(QRectF(X(0) - 20, area.top() - line - 4, 40, line), Qt::AlignCenter, QStringLiteral("C"));
  for (int k = 0; k < 4; ++k) {
    painter.setPen(QPen(accent, 1, Qt::DashLine));
    painter.drawLine(QPointF(X(edges[k]), Y(0)), QPointF(X(edges[k]), Y(1.0)));
    painter.setPen(ink);
    const qreal width = metrics.horizontalAdvance(QString::fromLatin1(names[k])) + 4;
    painter.drawText(QRectF(X(edges[k]) - width / 2, Y(0) + 2, width, line), Qt::AlignCenter,
                     QString::fromLatin1(names[k]));
  }
  if (kind_ == Kind::kRecommended) {
    // Arrows below: inner edges half an FWHM apart, outer edges one FWHM apart; the FWHM itself at half height.
    const auto Span = [&](double from, double to, qreal y, const QString& text) {
      painter.setPen(QPen(ink, 1));
      painter.drawLine(QPointF(X(from), y), QPointF(X(to), y));
      for (double u : {from, to}) painter.drawLine(QPointF(X(u), y - 4), QPointF(X(u), y + 4));
      painter.drawText(QRectF(X(from), y - line - 1, X(to) - X(from), line), Qt::AlignCenter, text);
    };
    Span(-0.5, 0.5, Y(0.5), QStringLiteral("FWHM"));
    painter.drawText(QRectF(area.left(), Y(0) + line + 2, area.width(), line), Qt::AlignCenter,
                     QStringLiteral("w = FWHM / 4:  C-w .. C+w = FWHM / 2,  C-2w .. C+2w = FWHM"));
  } else {
    painter.drawText(QRectF(area.left(), Y(0) + line + 2, area.width(), line), Qt::AlignCenter,
                     QStringLiteral("counts of the two hatched windows are compared"));
  }
}

}  // namespace mirvo
