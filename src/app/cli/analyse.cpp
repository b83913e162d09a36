// mirvo-cli analyse FILE.mps --spectrum K [--soft N] [--roi FIRST:LAST]... [--fom]: the peak
// information of ROIs of a spectrum and the FOM, computed by the program's peak analysis.
#include <cstdio>
#include <memory>

#include "app/cli/CliCommand.h"
#include "app/cli/CliOptions.h"
#include "base/TextFormat.h"
#include "display/PeakAnalysis.h"
#include "display/SpectrumPlot.h"
#include "files/LoadedSpectrumFile.h"

namespace mirvo::cli {
namespace {

struct AnalyseArguments {
  std::string input;
  int spectrum = 0;
  std::string soft;  // empty: as stored in the file
  std::vector<std::string> rois;
  bool fom = false;
};

int RunAnalyse(const AnalyseArguments& args) {
  if (args.rois.empty() && !args.fom) return UsageError("nothing to compute: give --roi FIRST:LAST or --fom");
  std::vector<std::pair<int, int>> rois;
  for (const std::string& text : args.rois) {
    int first = 0;
    int last = 0;
    ParseChannelRange(text, first, last);  // checked when parsed
    rois.emplace_back(first, last);
  }
  const int spectrum = args.spectrum;
  const bool fom = args.fom;
  LoadedSpectrumFile file;
  const FileResult loaded = file.Load(args.input);
  if (!loaded.Ok()) {
    std::fprintf(stderr, "mirvo-cli analyse: %s: %s\n", args.input.c_str(), loaded.message.c_str());
    return kExitFailure;
  }
  SpectrumPlot& plot = file.Plot(spectrum);
  if (!args.soft.empty()) {
    // The soft size the file's hard size allows: 512 up to it.
    int soft = 0;
    int unused = 0;
    if (!ParseChannelRange(args.soft + ":0", soft, unused) || soft < kMinHardSize || soft > plot.HardSize()) {
      std::fprintf(stderr, "mirvo-cli analyse: soft size %s outside 512..%d\n", args.soft.c_str(), plot.HardSize());
      return kExitUsage;
    }
    plot.ApplySizes(plot.HardSize(), soft);
  }
  // Every ROI lies in the soft spectrum, or nothing is printed.
  for (const auto& [first, last] : rois) {
    if (last >= plot.SoftSize())
      return UsageError(FormatText("ROI %d:%d is outside the soft spectrum of %s (channels 0 to %d)", first, last,
                                   args.input.c_str(), plot.SoftSize() - 1));
  }
  for (const auto& [first, last] : rois) {
    const RoiAnalysis roi = AnalyseRoi(plot, first, last);
    std::printf("roi %d:%d integral=%.0f area=%.0f centroid=%.2f fwhm=%.2f fwtm=%.2f result=%d\n", first, last,
                roi.peak.integral, roi.peak.area, roi.peak.centroid, roi.peak.fwhm, roi.peak.fwtm, roi.result);
  }
  if (fom) {
    const FomResult result = ComputeFom(file.Plot(0));
    if (result.status == 0) std::printf("fom=%.2f\n", result.fom);
    else std::printf("fom=%s\n", kBlankValue);
  }
  if (WarnOfDamage("analyse", args.input, file.Damage())) return kExitDamagedInput;
  return kExitOk;
}

std::function<int()> DefineAnalyse(CLI::App& command) {
  auto args = std::make_shared<AnalyseArguments>();
  command.add_option("FILE.mps", args->input, "the spectrum file")->required();
  command.add_option("--spectrum", args->spectrum, "the spectrum, 0..3")->type_name("K")->required()->check(SpectrumNumber());
  command.add_option("--soft", args->soft, "fold the spectrum to soft size N (512..hard size) first")->type_name("N");
  Repeatable(command.add_option("--roi", args->rois, "a ROI in soft channels of the spectrum; may be repeated"))
      ->type_name("FIRST:LAST")
      ->check(ChannelRange());
  command.add_flag("--fom", args->fom, "the figure of merit from the FOM ranges of S0 stored in the file");
  return [args] { return RunAnalyse(*args); };
}

const CliRegistration registration({"analyse", "peak information of ROIs of a spectrum and the FOM of S0",
                                    DefineAnalyse});

}  // namespace
}  // namespace mirvo::cli
