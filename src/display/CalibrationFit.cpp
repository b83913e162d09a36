#include "display/CalibrationFit.h"

#include <cmath>
#include <vector>

namespace mirvo {

namespace {

struct Point {
  double x;
  double y;
};

std::vector<Point> UsedPoints(const CalibrationRecord& record) {
  std::vector<Point> points;
  const int count = record.pointCount < 0 ? 0
                    : record.pointCount > CalibrationRecord::kPointSlots ? CalibrationRecord::kPointSlots
                                                                        : record.pointCount;
  for (int i = 0; i < count; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    if (record.useAll != 0 || record.ticked[slot] != 0) points.push_back({record.channel[slot], record.energy[slot]});
  }
  return points;
}

int DistinctChannels(const std::vector<Point>& points) {
  std::vector<double> seen;
  for (const Point& p : points) {
    bool known = false;
    for (double x : seen) known = known || x == p.x;
    if (!known) seen.push_back(p.x);
  }
  return static_cast<int>(seen.size());
}

}  // namespace

int FitPoints(const CalibrationRecord& record, FitCoefficients& out) {
  const std::vector<Point> points = UsedPoints(record);
  const std::size_t n = points.size();
  if (n <= 1) return kFitTooFewPoints;
  if (n == 2) {
    const Point p1 = points[0], p2 = points[1];
    FitCoefficients fit;
    fit.a = 0.0;
    fit.b = p2.x == p1.x ? 1.0 : (p2.y - p1.y) / (p2.x - p1.x);
    fit.c = p1.y - fit.b * p1.x;
    if (!std::isfinite(fit.b) || !std::isfinite(fit.c)) return kFitTooFewChannels;
    out = fit;
    return kFitDone;
  }
  // The normal equations are singular unless the points lie on three different channels.
  if (DistinctChannels(points) < 3) return kFitTooFewChannels;
  double sx = 0, sx2 = 0, sx3 = 0, sx4 = 0, sy = 0, sxy = 0, sx2y = 0;
  for (const Point& p : points) {
    const double x2 = p.x * p.x;
    sx += p.x;
    sx2 += x2;
    sx3 += x2 * p.x;
    sx4 += x2 * x2;
    sy += p.y;
    sxy += p.x * p.y;
    sx2y += x2 * p.y;
  }
  double m[3][4] = {{static_cast<double>(n), sx, sx2, sy}, {sx, sx2, sx3, sxy}, {sx2, sx3, sx4, sx2y}};
  // Gauss-Jordan elimination without pivoting, then each row divided by its diagonal element.
  for (int j = 0; j < 3; ++j) {
    const double pivot = m[j][j];
    if (pivot == 0.0 || !std::isfinite(pivot)) return kFitTooFewChannels;
    for (int k = 0; k < 3; ++k) {
      if (k == j) continue;
      const double factor = m[k][j] / pivot;
      for (int col = 0; col < 4; ++col) m[k][col] -= m[j][col] * factor;
    }
  }
  for (int row = 0; row < 3; ++row) {
    if (m[row][row] == 0.0) return kFitTooFewChannels;
    m[row][3] /= m[row][row];
    m[row][row] = 1.0;
  }
  FitCoefficients fit{m[2][3], m[1][3], m[0][3]};
  if (!std::isfinite(fit.a) || !std::isfinite(fit.b) || !std::isfinite(fit.c)) return kFitTooFewChannels;
  out = fit;
  return kFitDone;
}

}  // namespace mirvo
