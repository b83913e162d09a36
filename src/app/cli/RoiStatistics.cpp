#include "app/cli/RoiStatistics.h"

#include <cstdio>

#include "app/cli/CliCommand.h"
#include "base/TextFormat.h"
#include "display/CountingStatistics.h"
#include "display/PeakAnalysis.h"
#include "display/PeakFit.h"
#include "display/SpectrumPlot.h"
#include "files/LoadedSpectrumFile.h"

namespace mirvo::cli {

namespace {

// The figures of one ROI, formatted; a missing value is kBlankValue.
struct Figures {
  std::vector<std::pair<std::string, std::string>> named;  // analyse key, value
};

std::string FlagWords(const PeakFitResult& fit) {
  if (fit.flags == 0) return "ok";
  std::string words = FitFlagsText(fit.flags);
  std::string token;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i] == ',' ) {
      token.push_back(',');
      if (i + 1 < words.size() && words[i + 1] == ' ') ++i;
    } else {
      token.push_back(words[i] == ' ' ? '-' : words[i]);
    }
  }
  return token;
}

Figures FiguresOf(const SpectrumPlot& plot, int first, int last, const ScaledBackground* background,
                  bool withBackground) {
  PeakResult peak;
  const int result = AnalysePeak(plot, first, last, peak);
  const CountingStatistics s = ComputeCountingStatistics(plot.Record().softCounts, plot.SoftSize(), first, last,
                                                         background, &peak, result == kPeakFound);
  const PeakFitResult fit = FitPeak(plot.Record().softCounts, plot.SoftSize(), first, last);
  Figures f;
  const auto add = [&f](const char* key, bool valid, const char* format, double value) {
    f.named.emplace_back(key, valid ? FormatText(format, value) : std::string(kBlankValue));
  };
  add("integral_sigma", s.valid, "%.0f", s.integralSigma);
  add("area_sigma", s.valid, "%.0f", s.areaSigma);
  if (withBackground) {
    const bool net = s.valid && s.hasBackground;
    add("net_area", net, "%.0f", s.netArea);
    add("net_area_sigma", net, "%.0f", s.netAreaSigma);
    add("background_scale", background != nullptr, "%.6g", background != nullptr ? background->scale : 0.0);
  }
  add("centroid_sigma", s.valid && s.centroidSigma > 0.0, "%.2f", s.centroidSigma);
  add("lc", s.valid, "%.0f", s.criticalLevel);
  add("ld", s.valid, "%.0f", s.detectionLimit);
  add("above_lc", s.valid, "%.0f", s.aboveCritical ? 1.0 : 0.0);
  add("fit_centroid", fit.fitted, "%.2f", fit.centroid);
  add("fit_centroid_sigma", fit.fitted, "%.2f", fit.centroidSigma);
  add("fit_fwhm", fit.fitted, "%.2f", fit.fwhm);
  add("fit_fwhm_sigma", fit.fitted, "%.2f", fit.fwhmSigma);
  add("fit_area", fit.fitted, "%.0f", fit.area);
  add("fit_area_sigma", fit.fitted, "%.0f", fit.areaSigma);
  add("fit_chi2ndf", fit.fitted, "%.2f", fit.reducedChiSquare);
  f.named.emplace_back("fit_continuum", fit.fitted ? FitContinuumName(fit.continuum) : kBlankValue);
  f.named.emplace_back("fit_flags", FlagWords(fit));
  return f;
}

}  // namespace

BackgroundFile::BackgroundFile() = default;
BackgroundFile::~BackgroundFile() = default;

bool BackgroundFile::Load(const char* command, const std::string& path) {
  file_ = std::make_unique<LoadedSpectrumFile>();
  path_ = path;
  const FileResult loaded = file_->Load(path);
  if (!loaded.Ok()) {
    std::fprintf(stderr, "mirvo-cli %s: %s: %s\n", command, path.c_str(), loaded.message.c_str());
    file_.reset();
    return false;
  }
  damaged_ = WarnOfDamage(command, path, file_->Damage());
  return true;
}

std::optional<ScaledBackground> BackgroundFile::For(const char* command, LoadedSpectrumFile& measurement,
                                                    int spectrum) const {
  if (!file_) return std::nullopt;
  std::string why;
  auto scaled = MakeScaledBackground(measurement.Plot(spectrum).Record(), measurement.Times().liveSeconds,
                                     file_->Plot(spectrum).Record(), file_->Times().liveSeconds, &why);
  if (!scaled) std::fprintf(stderr, "mirvo-cli %s: %s: %s\n", command, path_.c_str(), why.c_str());
  return scaled;
}

std::string AnalyseFields(const SpectrumPlot& plot, int first, int last, const ScaledBackground* background) {
  std::string text;
  for (const auto& [key, value] : FiguresOf(plot, first, last, background, background != nullptr).named) {
    text.append(" ").append(key).append("=").append(value);
  }
  return text;
}

std::string ReportHeadings(bool background) {
  std::string text = ",Integral Sigma,Area Sigma";
  if (background) text.append(",Net Area,Net Area Sigma,Background Scale");
  text.append(",Centroid Sigma,LC,LD,Above LC,Fit Centroid,Fit Centroid Sigma,Fit FWHM,Fit FWHM Sigma,Fit Area,"
              "Fit Area Sigma,Fit Chi2/NDF,Fit Continuum,Fit Flags");
  return text;
}

std::string ReportCells(const SpectrumPlot& plot, int first, int last, const ScaledBackground* background,
                        bool withBackground) {
  std::string text;
  for (const auto& [key, value] : FiguresOf(plot, first, last, background, withBackground).named) {
    text.append(",");
    // Flag words are joined by commas: quoted in a CSV cell.
    if (value.find(',') != std::string::npos) text.append("\"").append(value).append("\"");
    else text.append(value);
  }
  return text;
}

}  // namespace mirvo::cli
