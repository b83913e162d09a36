#include "files/TraceCsv.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "display/UserDialog.h"

namespace mirvo {

namespace {

constexpr std::array<const char*, 4> kAnalogNames = {"SLOW", "FAST", "ADC", "AUX"};
constexpr std::array<const char*, 8> kDigitalNames = {"F LLD", "S LLD", "PKDT", "STORE", "PUR", "INHIBIT", "INPUT R",
                                                      "ROI-SCA"};
constexpr std::array<const char*, 8> kCoincidenceNames = {"F LLD", "S LLD", "PKDT", "STORE", "PUR", "COINC W", "COINC S",
                                                          "ROI-SCA"};

const char* DigitalName(const TraceExportInput& input, int index) {
  const auto i = static_cast<std::size_t>(std::clamp(index, 0, 7));
  return input.coincidence ? kCoincidenceNames[i] : kDigitalNames[i];
}

int AnalogIndex(const TraceExportInput& input) { return std::clamp(input.analogSignal, 0, 3); }

// a x 2^shift / (gain register x BDC, 1 when that is 0), truncated toward zero.
long long Normalise(int a, int shift, std::uint16_t gainRegister, double bdc) {
  double x = gainRegister * bdc;
  if (x == 0.0 || !std::isfinite(x)) x = 1.0;
  const double value = std::trunc(std::ldexp(static_cast<double>(a), std::clamp(shift, 0, 30)) / x);
  return static_cast<long long>(std::clamp(value, -9.0e18, 9.0e18));
}

}  // namespace

double TracePointTime(const TraceExportInput& input) {
  return input.timeBaseValue > 10 ? (input.timeBaseValue - 10) * input.samplePeriodUs : input.samplePeriodUs;
}

long long TraceExportValue(const TraceExportInput& input, int k, bool normalised) {
  const int a = input.analog[static_cast<std::size_t>(std::clamp(k, 0, kTracePoints - 1))];
  if (!normalised) return a;
  switch (AnalogIndex(input)) {
    case 1: return Normalise(a, input.fastShift, input.register04, input.bdc);
    case 2: return 2LL * a;
    default: return Normalise(a, input.slowShift, input.register02, input.bdc);
  }
}

FileResult ExportTraceCsv(const std::string& path, const TraceExportInput& input, bool normalised, FileSystemOps& fs) {
  SafeFileWriter out(fs);
  if (out.Open(path) != kFileOk) return {kFileCannotCreate, kTraceExportFailed, path, out.FailureReason()};
  const double t = TracePointTime(input);
  const int d = input.triggerDelay;
  const char* analogName = kAnalogNames[static_cast<std::size_t>(AnalogIndex(input))];
  out.Write("mirvo-PSD Trace Viewer: Captured Traces\n");
  out.Printf("Digital Signal: %s%s", analogName, normalised ? " (NORMALIZED DATA)\n" : " (RAW DATA)\n");
  if (input.mode >= 1 && input.mode <= 4) out.Printf("Traces Averaged: %d\n", 1 << input.mode);
  else out.Write("Traces Averaged: SINGLE TRACE\n");
  if (input.mode == -2) out.Write("Trigger Source: RANDOM\n");
  else out.Printf("Trigger Source: %s\n", DigitalName(input, input.triggerIndex));
  out.Printf("Trigger Delay: %d samples (%6.4f us)\n", d, d * t);
  out.Write("\n");
  out.Printf("Sample,Time [us],%s", analogName);
  for (int bit = 0; bit < 8; ++bit) out.Printf(",%s", DigitalName(input, bit));
  out.Write("\n");
  for (int k = 0; k < kTracePoints; ++k) {
    out.Printf("%d,%6.4f,%lld", k, k * t - d * t, TraceExportValue(input, k, normalised));
    const unsigned word = input.digital[static_cast<std::size_t>(k)];
    for (int bit = 0; bit < 8; ++bit) out.Write((word >> bit) & 1u ? ",1" : ",0");
    out.Write("\n");
  }
  if (out.Commit() != kFileOk) return {kFileWriteFailed, kTraceExportFailed, path, out.FailureReason()};
  return {kFileOk, "", path};
}

FileResult ExportTracesAs(const std::string& chosenPath, const TraceExportInput& input, bool normalised,
                          IUserDialog& dialog, FileSystemOps& fs) {
  const std::string path = WithDefaultExtension(chosenPath, "csv");
  if (FileExistsForOverwrite(path) && !dialog.AskOkCancel(kOverwriteQuestion, kWarningCaption, MessageIcon::Stop))
    return {kFileCancelled, "", path};
  FileResult result = ExportTraceCsv(path, input, normalised, fs);
  if (!result.Ok()) dialog.ShowMessage(result.message, kErrorCaption, MessageIcon::Stop);
  return result;
}

}  // namespace mirvo
