// mirvo-cli info FILE: what a spectrum file (.mps, .n42 or .spe) holds, as the program shows it after
// Open Spectrum.
#include <cinttypes>
#include <cstdio>
#include <memory>

#include "app/cli/CliCommand.h"
#include "display/CalibrationPanel.h"
#include "display/RecordSets.h"
#include "display/UserDialog.h"
#include "files/LoadedSpectrumFile.h"

namespace mirvo::cli {
namespace {

// The calibration panel's fit runs quietly here: a refusal only leaves the coefficients alone.
struct QuietDialog : IUserDialog {
  void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
  bool AskOkCancel(const std::string&, const std::string&, MessageIcon) override { return false; }
};

void PrintSpectrum(SpectrumPlot& plot, CalibrationPanel& panel) {
  const SpectrumRecord& record = plot.Record();
  std::uint64_t total = 0;
  for (int c = 0; c < record.hardSize; ++c) total += record.hardCounts[c];
  std::printf("S%d: %s\n", record.spectrumIndex, record.caption.c_str());
  std::printf("  tag: %s\n", record.tag.c_str());
  std::printf("  hard size: %d\n  soft size: %d\n  total counts: %" PRIu64 "\n", record.hardSize, record.softSize, total);
  panel.Reload(plot);  // fits the stored points for the soft channels, as the calibration pane does
  const CalibrationRecord& stored = record.stored;
  const CalibrationRecord& working = record.working;
  std::printf("  calibration: %s, unit %s, %d points, %s\n", stored.enabled != 0 ? "enabled" : "disabled",
              stored.UnitName(), stored.pointCount, stored.useAll != 0 ? "all used" : "ticked used");
  for (int p = 0; p < stored.pointCount; ++p) {
    const auto slot = static_cast<std::size_t>(p);
    std::printf("    point %c: channel %.4f energy %.4f%s\n", 'A' + p, stored.channel[slot], stored.energy[slot],
                stored.ticked[slot] != 0 ? " (ticked)" : "");
  }
  std::printf("  coefficients (%s): a = %.6g, b = %.6g, c = %.6g\n", panel.GroupCaption().c_str(), working.a, working.b,
              working.c);
}

int RunInfo(const std::string& path) {
  LoadedSpectrumFile file;
  const FileResult loaded = file.Load(path);
  if (!loaded.Ok()) {
    std::fprintf(stderr, "mirvo-cli info: %s: %s\n", path.c_str(), loaded.message.c_str());
    return kExitFailure;
  }
  for (const std::string& note : file.Notes()) std::printf("note: %s\n", note.c_str());
  const SpectrumRecord& s0 = file.Plot(0).Record();
  const AcquisitionTimes times = file.Times();
  std::printf("file: %s\n", path.c_str());
  std::printf("serial number: %05u\n", static_cast<unsigned>(s0.serialNumber));
  std::printf("tag: %s\n", s0.tag.c_str());
  std::printf("start: %s (%s)\n", times.stampText.c_str(), times.kindText.c_str());
  std::printf("real time: %.2f s\nlive time: %.2f s\ndead time: %.2f %%\n", times.realSeconds, times.liveSeconds,
              times.deadPercent);
  std::printf("firmware: %.2f\n", s0.firmwareVersion / 100.0);
  std::printf("internal temperature: %d C\n", static_cast<int>(s0.internalTemperature));
  std::printf("slow ADC: %.2f V\n", s0.slowAdcVolts);
  const CalibrationRecord& fom = s0.stored;
  std::printf("FOM ranges (hard channels of S0): peak 1 %d:%d, peak 2 %d:%d\n", fom.fomPeak1First, fom.fomPeak1Last,
              fom.fomPeak2First, fom.fomPeak2Last);
  QuietDialog quiet;
  CalibrationPanel panel(file.Sets(), quiet);
  panel.Initialise();
  for (int k = 0; k < 4; ++k) PrintSpectrum(file.Plot(k), panel);
  if (WarnOfDamage("info", path, file.Damage())) return kExitDamagedInput;
  return kExitOk;
}

std::function<int()> DefineInfo(CLI::App& command) {
  auto path = std::make_shared<std::string>();
  command.add_option("FILE", *path, "the spectrum file: .mps, .n42 or .spe")->required();
  return [path] { return RunInfo(*path); };
}

const CliRegistration registration({"info",
                                    "what a spectrum file (.mps, .n42, .spe) holds: tag, spectra, calibrations, times, FOM ranges",
                                    DefineInfo});

}  // namespace
}  // namespace mirvo::cli
