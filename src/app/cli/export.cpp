// mirvo-cli export FILE --format csv|n42|spe [--spectrum K] [--soft] -o OUT: a spectrum file (.mps,
// .n42 or .spe) exported as the program exports the FILE set: CSV of spectrum K (byte for byte as
// the program writes it with that file's set shown), N42.42 of all spectra or of spectrum K alone,
// or IAEA SPE of spectrum K.
#include <cstdio>

#include "app/cli/CliCommand.h"
#include "base/Clock.h"
#include "display/RecordSets.h"
#include "files/LoadedSpectrumFile.h"
#include "files/N42Writer.h"
#include "files/SpeWriter.h"
#include "files/SpectrumCsv.h"
#include "files/SpectrumFileCommands.h"

namespace mirvo::cli {
namespace {

constexpr const char* kUsage =
    "usage: mirvo-cli export FILE [--format csv|n42|spe] [--spectrum K] [--soft] -o OUT  (K = 0..3; csv and spe "
    "need K, n42 writes all spectra without it)\n";

int RunExport(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  std::string spectrumText;
  std::string out;
  std::string format = "csv";
  if (!TakeOption(args, "--spectrum", spectrumText) || !TakeOption(args, "-o", out) ||
      !TakeOption(args, "--format", format))
    return kExitUsage;
  const bool soft = TakeFlag(args, "--soft");
  int spectrum = kAllSpectra;
  const bool spectrumGiven = !spectrumText.empty();
  const bool knownFormat = format == "csv" || format == "n42" || format == "spe";
  if (args.size() != 1 || out.empty() || !knownFormat || (spectrumGiven && !ParseSpectrumIndex(spectrumText, spectrum)) ||
      (!spectrumGiven && format != "n42") || (soft && format != "csv")) {
    std::fprintf(stderr, "%s", kUsage);
    return kExitUsage;
  }
  if (OutputIsAnInput("export", out, args)) return kExitUsage;
  LoadedSpectrumFile file;
  const FileResult loaded = file.Load(args[0]);
  if (!loaded.Ok()) {
    std::fprintf(stderr, "mirvo-cli export: %s: %s\n", args[0].c_str(), loaded.message.c_str());
    return kExitFailure;
  }
  for (const std::string& note : file.Notes()) std::fprintf(stderr, "mirvo-cli export: %s: %s\n", args[0].c_str(), note.c_str());
  FileResult written;
  if (format == "csv") {
    written = ExportSpectrumCsv(file.Plot(spectrum), out, !soft, file.Times());
  } else {
    std::array<const SpectrumRecord*, 4> records{};
    for (int k = 0; k < 4; ++k) records[static_cast<std::size_t>(k)] = &file.Plot(k).Record();
    if (format == "n42") written = WriteN42File(records, spectrum, out, file.Times(), SystemClock().UtcMilliseconds());
    else written = WriteSpeFile(records, spectrum, out, file.Times());
  }
  if (!written.Ok()) {
    std::fprintf(stderr, "mirvo-cli export: %s: %s\n", out.c_str(), written.message.c_str());
    if (!written.reason.empty()) std::fprintf(stderr, "%s\n", written.reason.c_str());  // the system's reason
    return kExitFailure;
  }
  if (WarnOfDamage("export", args[0], file.Damage())) return kExitDamagedInput;
  return kExitOk;
}

const CliRegistration registration({"export", "FILE [--format csv|n42|spe] [--spectrum K] [--soft] -o OUT",
                                    "export of a spectrum file (.mps, .n42, .spe): CSV of spectrum K (hard channels, "
                                    "or soft with --soft), N42.42 of all spectra or of K, IAEA SPE of K",
                                    RunExport});

}  // namespace
}  // namespace mirvo::cli
