// mirvo-cli analyse FILE.mps --spectrum K [--soft N] [--roi FIRST:LAST]... [--fom]: the peak
// information of ROIs of a spectrum and the FOM, computed by the program's peak analysis.
#include <cstdio>

#include "app/cli/CliCommand.h"
#include "app/cli/RoiStatistics.h"
#include "display/PeakAnalysis.h"
#include "display/SpectrumPlot.h"
#include "files/LoadedSpectrumFile.h"

namespace mirvo::cli {
namespace {

constexpr const char* kUsage =
    "usage: mirvo-cli analyse FILE.mps --spectrum K [--soft N] [--roi FIRST:LAST]... [--fom] [--background FILE]\n"
    "  K = 0..3; N = 512..hard size; ROIs in soft channels\n";

int RunAnalyse(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  std::string spectrumText;
  std::string softText;
  if (!TakeOption(args, "--spectrum", spectrumText) || !TakeOption(args, "--soft", softText)) return kExitUsage;
  std::vector<std::pair<int, int>> rois;
  for (std::string roi; TakeOption(args, "--roi", roi) && !roi.empty(); roi.clear()) {
    int first = 0;
    int last = 0;
    if (!ParseChannelRange(roi, first, last)) {
      std::fprintf(stderr, "mirvo-cli analyse: bad ROI '%s'\n%s", roi.c_str(), kUsage);
      return kExitUsage;
    }
    rois.emplace_back(first, last);
  }
  const bool fom = TakeFlag(args, "--fom");
  std::string backgroundPath;
  if (!TakeOption(args, "--background", backgroundPath)) return kExitUsage;
  int spectrum = 0;
  if (args.size() != 1 || !ParseSpectrumIndex(spectrumText, spectrum)) {
    std::fprintf(stderr, "%s", kUsage);
    return kExitUsage;
  }
  LoadedSpectrumFile file;
  const FileResult loaded = file.Load(args[0]);
  if (!loaded.Ok()) {
    std::fprintf(stderr, "mirvo-cli analyse: %s: %s\n", args[0].c_str(), loaded.message.c_str());
    return kExitFailure;
  }
  SpectrumPlot& plot = file.Plot(spectrum);
  if (!softText.empty()) {
    int soft = 0;
    int unused = 0;
    if (!ParseChannelRange(softText + ":0", soft, unused) || soft < kMinHardSize || soft > plot.HardSize()) {
      std::fprintf(stderr, "mirvo-cli analyse: soft size %s outside 512..%d\n", softText.c_str(), plot.HardSize());
      return kExitUsage;
    }
    plot.ApplySizes(plot.HardSize(), soft);
  }
  // A background of the same hard size, scaled to the spectrum by the ratio of the live times.
  std::optional<ScaledBackground> background;
  BackgroundFile backgroundFile;
  if (!backgroundPath.empty()) {
    if (!backgroundFile.Load("analyse", backgroundPath)) return kExitFailure;
    background = backgroundFile.For("analyse", file, spectrum);
    if (!background) return kExitUsage;
  }
  for (const auto& [first, last] : rois) {
    const RoiAnalysis roi = AnalyseRoi(plot, first, last);
    std::printf("roi %d:%d integral=%.0f area=%.0f centroid=%.2f fwhm=%.2f fwtm=%.2f result=%d%s\n", first, last,
                roi.peak.integral, roi.peak.area, roi.peak.centroid, roi.peak.fwhm, roi.peak.fwtm, roi.result,
                AnalyseFields(plot, first, last, background ? &*background : nullptr).c_str());
  }
  if (fom) {
    const FomResult result = ComputeFom(file.Plot(0));
    if (result.status == 0) std::printf("fom=%.2f\n", result.fom);
    else std::printf("fom=%s\n", kBlankValue);
  }
  if (WarnOfDamage("analyse", args[0], file.Damage()) || backgroundFile.Damaged()) return kExitDamagedInput;
  return kExitOk;
}

const CliRegistration registration({"analyse", "FILE.mps --spectrum K [--soft N] [--roi FIRST:LAST]... [--fom] [--background FILE]",
                                    "peak information of ROIs of a spectrum and the FOM of S0", RunAnalyse});

}  // namespace
}  // namespace mirvo::cli
