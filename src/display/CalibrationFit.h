// The energy calibration fit over the used points of a calibration record: a straight line through
// two points, a least-squares parabola (Gauss-Jordan on the normal equations) through three or more.
#pragma once

#include "records/CalibrationRecord.h"

namespace mirvo {

constexpr int kFitDone = 0;
constexpr int kFitTooFewPoints = -1;         // fewer than two used points
constexpr int kFitTooFewChannels = -2;       // three or more points on fewer than three channels

inline constexpr const char* kTooFewPointsMessage = "Calibration requires at least two points";
inline constexpr const char* kTooFewChannelsMessage = "The quadratic fit needs at least three different channels";

struct FitCoefficients {
  double a = 0.0;
  double b = 1.0;
  double c = 0.0;
};

// Fits the used points of the record (all with use-all set, else the ticked ones, in list order).
// On kFitDone `out` holds the coefficients; otherwise it is untouched.
int FitPoints(const CalibrationRecord& record, FitCoefficients& out);

}  // namespace mirvo
