// mirvo-cli report FILE.mps... --spectrum K --roi FIRST:LAST [--fom] [-o OUT.csv]: one CSV row per
// file of a series with its start stamp, times, the peak information of one ROI and the FOM.
#include <cstdio>
#include <memory>

#include "app/cli/CliCommand.h"
#include "app/cli/CliOptions.h"
#include "base/TextFormat.h"
#include "display/PeakAnalysis.h"
#include "files/LoadedSpectrumFile.h"
#include "files/SafeFileWriter.h"

namespace mirvo::cli {
namespace {

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string Row(LoadedSpectrumFile& file, const std::string& name, int spectrum, int first, int last, bool fom) {
  const AcquisitionTimes times = file.Times();
  const RoiAnalysis roi = AnalyseRoi(file.Plot(spectrum), first, last);
  const bool found = roi.result == kPeakFound;
  const bool integral = found || roi.result == kPeakFlat;
  std::vector<std::string> fields = {CsvField(name), CsvField(times.stampText), FormatText("%.4f", times.realSeconds),
                                     FormatText("%.4f", times.liveSeconds)};
  const auto add = [&fields](bool valid, const char* format, double x) {
    fields.push_back(valid ? FormatText(format, x) : std::string(kBlankValue));
  };
  add(integral, "%.0f", roi.peak.integral);
  add(integral, "%.0f", roi.peak.area);
  add(found, "%.2f", roi.peak.centroid);
  add(found, "%.2f", roi.peak.fwhm);
  add(found, "%.2f", roi.resolution);
  if (fom) {
    const FomResult result = ComputeFom(file.Plot(0));
    add(result.status == 0, "%.2f", result.fom);
  }
  // A damaged file's row says so: its values may be partly zeros.
  const std::vector<std::string>& damage = file.Damage();
  fields.push_back(damage.empty() ? std::string()
                                  : CsvField("damaged: " + damage.front() +
                                             (damage.size() > 1 ? FormatText(" (and %zu more)", damage.size() - 1) : "")));
  std::string row;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) row.push_back(',');
    row.append(fields[i]);
  }
  row.push_back('\n');
  return row;
}

struct ReportArguments {
  std::vector<std::string> inputs;
  int spectrum = 0;
  std::string roi;
  bool fom = false;
  std::string output;
};

int RunReport(const ReportArguments& args) {
  const int spectrum = args.spectrum;
  const bool fom = args.fom;
  const std::string& out = args.output;
  int first = 0;
  int last = 0;
  ParseChannelRange(args.roi, first, last);  // checked when parsed
  if (!out.empty() && OutputIsAnInput("report", out, args.inputs)) return kExitUsage;
  SafeFileWriter writer;
  if (!out.empty() && writer.Open(out) != kFileOk) {
    std::fprintf(stderr, "mirvo-cli report: %s: %s\n%s\n", out.c_str(), kUnableToSaveFile, writer.FailureReason().c_str());
    return kExitFailure;
  }
  const auto emit = [&](const std::string& text) {
    if (out.empty()) std::fputs(text.c_str(), stdout);
    else writer.Write(text);
  };
  emit(std::string("File,Start,Real Time [s],Live Time [s],Integral,Area,Centroid,FWHM,Resolution [%]") +
       (fom ? ",FOM,Warning\n" : ",Warning\n"));
  int status = kExitOk;
  for (const std::string& path : args.inputs) {
    LoadedSpectrumFile file;  // a fresh set per file: nothing carries over from the previous one
    const FileResult loaded = file.Load(path);
    if (!loaded.Ok()) {
      std::fprintf(stderr, "mirvo-cli report: %s: %s\n", path.c_str(), loaded.message.c_str());
      status = kExitFailure;
      continue;
    }
    emit(Row(file, path, spectrum, first, last, fom));
    if (WarnOfDamage("report", path, file.Damage()) && status == kExitOk) status = kExitDamagedInput;
  }
  if (!out.empty() && writer.Commit() != kFileOk) {
    std::fprintf(stderr, "mirvo-cli report: %s: %s\n%s\n", out.c_str(), kErrorWritingToFile, writer.FailureReason().c_str());
    return kExitFailure;
  }
  return status;
}

std::function<int()> DefineReport(CLI::App& command) {
  auto args = std::make_shared<ReportArguments>();
  command.add_option("FILE.mps", args->inputs, "the spectrum files, one row each")->required();
  command.add_option("--spectrum", args->spectrum, "the spectrum, 0..3")->type_name("K")->required()->check(SpectrumNumber());
  command.add_option("--roi", args->roi, "the ROI in soft channels")->type_name("FIRST:LAST")->required()->check(ChannelRange());
  command.add_flag("--fom", args->fom, "add the figure of merit from the FOM ranges of S0");
  command.add_option("-o", args->output, "write the CSV to this file instead of standard output")->type_name("OUT.csv");
  return [args] { return RunReport(*args); };
}

const CliRegistration registration({"report", "one CSV row per file: stamp, times, peak of one ROI, FOM",
                                    DefineReport});

}  // namespace
}  // namespace mirvo::cli
