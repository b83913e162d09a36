#include "display/SampleSpectrum.h"

#include <cmath>

namespace mirvo {

void FillSampleSpectrum(std::uint32_t* counts, int channels, const SampleSpectrumShape& shape) {
  const double peak = shape.peakChannel;
  const double sigma = shape.peakSigma > 1.0 ? shape.peakSigma : 1.0;
  const double height = shape.peakHeight;
  const double edge = 0.72 * peak;        // 477 keV for a 662 keV peak
  const double backscatter = 0.28 * peak;  // 184 keV
  const double lowNoise = 0.02 * peak;
  for (int ch = 0; ch < channels; ++ch) {
    const double x = ch;
    // The continuum rises gently toward the edge and falls off over the detector's resolution.
    const double compton = 0.16 * height * (0.75 + 0.25 * (x / edge) * (x / edge)) *
                           0.5 * std::erfc((x - edge) / (1.4 * sigma));
    const double bump = 0.07 * height * std::exp(-0.5 * std::pow((x - backscatter) / (2.2 * sigma), 2.0));
    const double photo = height * std::exp(-0.5 * std::pow((x - peak) / sigma, 2.0));
    // Counts between the edge and the peak from multiple scattering, and the rising noise floor.
    const double valley = 0.012 * height * 0.5 * std::erfc((x - peak) / (2.0 * sigma));
    const double noise = x < lowNoise ? 0.0 : 0.5 * height * std::exp(-(x - lowNoise) / (0.03 * peak));
    const double total = compton + bump + photo + valley + noise;
    counts[ch] = x < lowNoise ? 0u : static_cast<std::uint32_t>(total);
  }
}

}  // namespace mirvo
