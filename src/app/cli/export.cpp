// mirvo-cli export FILE --format csv|n42|spe [--spectrum K] [--soft] -o OUT: a spectrum file (.mps,
// .n42 or .spe) exported as the program exports the FILE set: CSV of spectrum K (byte for byte as
// the program writes it with that file's set shown), N42.42 of all spectra or of spectrum K alone,
// or IAEA SPE of spectrum K.
#include <cstdio>
#include <memory>

#include "app/cli/CliCommand.h"
#include "app/cli/CliOptions.h"
#include "base/Clock.h"
#include "display/RecordSets.h"
#include "files/LoadedSpectrumFile.h"
#include "files/N42Writer.h"
#include "files/SpeWriter.h"
#include "files/SpectrumCsv.h"
#include "files/SpectrumFileCommands.h"

namespace mirvo::cli {
namespace {

struct ExportArguments {
  std::string input;
  std::string format = "csv";
  int spectrum = kAllSpectra;
  bool soft = false;
  std::string output;
};

int RunExport(const ExportArguments& args) {
  const std::string& format = args.format;
  const std::string& out = args.output;
  const int spectrum = args.spectrum;
  const bool soft = args.soft;
  if (spectrum == kAllSpectra && format != "n42") return UsageError("--format " + format + " needs --spectrum K");
  if (soft && format != "csv") return UsageError("--soft goes with --format csv only");
  if (OutputIsAnInput("export", out, {args.input})) return kExitUsage;
  LoadedSpectrumFile file;
  const FileResult loaded = file.Load(args.input);
  if (!loaded.Ok()) {
    std::fprintf(stderr, "mirvo-cli export: %s: %s\n", args.input.c_str(), loaded.message.c_str());
    return kExitFailure;
  }
  for (const std::string& note : file.Notes()) std::fprintf(stderr, "mirvo-cli export: %s: %s\n", args.input.c_str(), note.c_str());
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
  if (WarnOfDamage("export", args.input, file.Damage())) return kExitDamagedInput;
  return kExitOk;
}

std::function<int()> DefineExport(CLI::App& command) {
  auto args = std::make_shared<ExportArguments>();
  command.add_option("FILE", args->input, "the spectrum file: .mps, .n42 or .spe")->required();
  command.add_option("--format", args->format, "csv (the default), n42 or spe")
      ->type_name("csv|n42|spe")
      ->check(OneOf({"csv", "n42", "spe"}));
  command.add_option("--spectrum", args->spectrum, "the spectrum, 0..3 (csv and spe need it; n42 writes all without it)")
      ->type_name("K")
      ->check(SpectrumNumber());
  command.add_flag("--soft", args->soft, "csv: the soft channels instead of all hard channels");
  command.add_option("-o", args->output, "the file to write")->type_name("OUT")->required();
  return [args] { return RunExport(*args); };
}

const CliRegistration registration({"export",
                                    "export of a spectrum file (.mps, .n42, .spe): CSV of spectrum K (hard channels, "
                                    "or soft with --soft), N42.42 of all spectra or of K, IAEA SPE of K",
                                    DefineExport});

}  // namespace
}  // namespace mirvo::cli
