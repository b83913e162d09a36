// A background spectrum brought onto a measurement's soft channels, with the live-time ratio that
// scales it. The counts stay unscaled so that the counting statistics of the subtraction hold:
// net = gross - scale * counts, var(net) = gross + scale^2 * counts.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mirvo {

struct SpectrumRecord;

struct ScaledBackground {
  std::vector<double> counts;  // background counts summed into the measurement's soft channels
  double scale = 0.0;          // measurement live time / background live time
  double backgroundLive = 0.0;  // seconds
  double measurementLive = 0.0;  // seconds

  double Scaled(int softChannel) const { return scale * counts[static_cast<std::size_t>(softChannel)]; }
};

// Binds a background record to a measurement record of the same hard size: the background's hard
// channels are summed with the measurement's compression factor. Returns nothing and says why (with
// the text a user sees) when the hard sizes differ or a live time is not positive.
std::optional<ScaledBackground> MakeScaledBackground(const SpectrumRecord& measurement, double measurementLive,
                                                     const SpectrumRecord& background, double backgroundLive,
                                                     std::string* why);

}  // namespace mirvo
