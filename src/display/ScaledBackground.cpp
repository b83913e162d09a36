#include "display/ScaledBackground.h"

#include <algorithm>
#include <cmath>

#include "base/TextFormat.h"
#include "records/SpectrumRecord.h"

namespace mirvo {

std::optional<ScaledBackground> MakeScaledBackground(const SpectrumRecord& measurement, double measurementLive,
                                                     const SpectrumRecord& background, double backgroundLive,
                                                     std::string* why) {
  auto refuse = [why](std::string text) -> std::optional<ScaledBackground> {
    if (why != nullptr) *why = std::move(text);
    return std::nullopt;
  };
  if (background.hardSize != measurement.hardSize) {
    return refuse(FormatText("The background has %d channels and the spectrum %d: a background must have the "
                             "same number of channels as the spectrum.",
                             background.hardSize, measurement.hardSize));
  }
  if (!(backgroundLive > 0.0) || !std::isfinite(backgroundLive)) {
    return refuse("The background has no live time: it cannot be scaled to the spectrum.");
  }
  if (!(measurementLive >= 0.0) || !std::isfinite(measurementLive)) {
    return refuse("The spectrum has no valid live time: the background cannot be scaled to it.");
  }
  const int hardSize = std::clamp(measurement.hardSize, 1, kMaxChannels);
  const int factor = std::max(measurement.factor, 1);
  ScaledBackground result;
  result.counts.assign(static_cast<std::size_t>((hardSize + factor - 1) / factor), 0.0);
  for (int i = 0; i < hardSize; ++i) {
    result.counts[static_cast<std::size_t>(i / factor)] += background.hardCounts[i];
  }
  // As the measurement's soft spectrum: a partial channel just past the shown range (4096 channels
  // shown as 1365 or 682) belongs to the last shown one.
  const auto softSize = static_cast<std::size_t>(std::max(measurement.softSize, 1));
  if (result.counts.size() == softSize + 1) {
    result.counts[softSize - 1] += result.counts[softSize];
    result.counts.pop_back();
  }
  result.scale = measurementLive / backgroundLive;
  result.backgroundLive = backgroundLive;
  result.measurementLive = measurementLive;
  return result;
}

}  // namespace mirvo
