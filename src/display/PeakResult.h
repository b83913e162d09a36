// The statistics of one peak as AnalysePeak leaves them: integral, background-corrected area,
// centroid and the interpolated half- and tenth-maximum crossings with the widths between them.
#pragma once

namespace mirvo {

struct PeakResult {
  double integral = 0.0;
  double area = 0.0;
  double centroid = 0.0;
  double halfRight = 0.0;
  double halfLeft = 0.0;
  double tenthRight = 0.0;
  double tenthLeft = 0.0;
  double fwhm = 0.0;
  double fwtm = 0.0;
};

}  // namespace mirvo
