// mirvo-cli export FILE.mps --spectrum K [--soft] -o OUT.csv: the CSV export of one spectrum of a
// file, byte for byte as the program writes it with that file's set shown.
#include <cstdio>

#include "app/cli/CliCommand.h"
#include "files/LoadedSpectrumFile.h"
#include "files/SpectrumCsv.h"

namespace mirvo::cli {
namespace {

int RunExport(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  std::string spectrumText;
  std::string out;
  if (!TakeOption(args, "--spectrum", spectrumText) || !TakeOption(args, "-o", out)) return kExitUsage;
  const bool soft = TakeFlag(args, "--soft");
  int spectrum = 0;
  if (args.size() != 1 || out.empty() || !ParseSpectrumIndex(spectrumText, spectrum)) {
    std::fprintf(stderr, "usage: mirvo-cli export FILE.mps --spectrum K [--soft] -o OUT.csv  (K = 0..3)\n");
    return kExitUsage;
  }
  LoadedSpectrumFile file;
  const FileResult loaded = file.Load(args[0]);
  if (!loaded.Ok()) {
    std::fprintf(stderr, "mirvo-cli export: %s: %s\n", args[0].c_str(), loaded.message.c_str());
    return kExitFailure;
  }
  const FileResult written = ExportSpectrumCsv(file.Plot(spectrum), out, !soft, file.Times());
  if (!written.Ok()) {
    std::fprintf(stderr, "mirvo-cli export: %s: %s\n", out.c_str(), written.message.c_str());
    return kExitFailure;
  }
  return kExitOk;
}

const CliRegistration registration({"export", "FILE.mps --spectrum K [--soft] -o OUT.csv",
                                    "CSV export of spectrum K of a file (hard channels, or soft with --soft)",
                                    RunExport});

}  // namespace
}  // namespace mirvo::cli
