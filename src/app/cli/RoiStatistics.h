// The counting uncertainties, detection limits and fitted peak of a ROI as extra fields of
// `mirvo-cli analyse` (key=value) and extra columns of `mirvo-cli report` (CSV), and the
// --background file bound to a measurement.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/ScaledBackground.h"

namespace mirvo {
class LoadedSpectrumFile;
class SpectrumPlot;
}  // namespace mirvo

namespace mirvo::cli {

// A background spectrum file loaded once for a command.
class BackgroundFile {
 public:
  BackgroundFile();
  ~BackgroundFile();
  // Loads any spectrum file the program reads; false with the reason on stderr ("mirvo-cli
  // <command>: FILE: ..."). What a damaged file misses is warned of on stderr (Damaged()).
  bool Load(const char* command, const std::string& path);
  bool Damaged() const { return damaged_; }
  // Its spectrum `spectrum` on the measurement's soft channels, scaled by the ratio of the two live
  // times; nothing after saying why on stderr (another hard size, no live time).
  std::optional<ScaledBackground> For(const char* command, LoadedSpectrumFile& measurement, int spectrum) const;

 private:
  std::unique_ptr<LoadedSpectrumFile> file_;
  std::string path_;
  bool damaged_ = false;
};

// " integral_sigma=... area_sigma=... [net_area=... net_area_sigma=... background_scale=...]
// centroid_sigma=... lc=... ld=... above_lc=0|1 fit_centroid=... fit_centroid_sigma=... fit_fwhm=...
// fit_fwhm_sigma=... fit_area=... fit_area_sigma=... fit_chi2ndf=... fit_continuum=linear|step
// fit_flags=ok|word,word": positions and widths in channels, a missing value "-----------".
std::string AnalyseFields(const SpectrumPlot& plot, int first, int last, const ScaledBackground* background);

// The report's extra column titles (",Integral Sigma,...") and one row's cells (",12,...").
std::string ReportHeadings(bool background);
std::string ReportCells(const SpectrumPlot& plot, int first, int last, const ScaledBackground* background,
                        bool withBackground);

}  // namespace mirvo::cli
