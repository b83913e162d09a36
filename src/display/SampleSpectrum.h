// A fixed, smooth Cs-137-like gamma spectrum (Compton continuum, backscatter bump and the 662 keV
// photopeak) for the colour dialog's preview and for pictures of the plot.
#pragma once

#include <cstdint>

namespace mirvo {

struct SampleSpectrumShape {
  int peakChannel = 1980;         // centre of the photopeak
  double peakSigma = 38.0;        // channels
  std::uint32_t peakHeight = 4000;  // counts at the centre
};

// Fills counts[0 .. channels-1]; the Compton edge lies at 0.72 of the peak channel.
void FillSampleSpectrum(std::uint32_t* counts, int channels, const SampleSpectrumShape& shape = {});

}  // namespace mirvo
