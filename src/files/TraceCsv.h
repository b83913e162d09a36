// The trace export: the viewer's last trace block as a CSV file with a header that records how it
// was taken, one row per point with its time from the trigger, the analog value and eight bits.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "files/FileResult.h"
#include "files/SafeFileWriter.h"

namespace mirvo {

class IUserDialog;

constexpr int kTracePoints = 256;

// What the trace viewer and the shaper hold at the moment of the export.
struct TraceExportInput {
  std::array<std::int16_t, kTracePoints> analog{};    // stored (or averaged) analog words
  std::array<std::uint16_t, kTracePoints> digital{};  // digital words, bit 0 = signal 0
  int analogSignal = 0;   // 0 SLOW, 1 FAST, 2 ADC, 3 AUX
  int triggerIndex = 0;   // 0..7, the digital signal names
  bool coincidence = false;  // signals 5 and 6 are "COINC W" and "COINC S"
  int mode = -1;          // -2 RND, -1 NRM, 0 SGL, 1..4 Av2..Av16
  int timeBaseValue = 20;
  int triggerDelay = 48;  // the value written to register 0x19
  int slowShift = 0;
  int fastShift = 0;
  double samplePeriodUs = 0.008;
  double bdc = 1.0;
  std::uint16_t register02 = 0;
  std::uint16_t register04 = 0;
};

// Microseconds per point: (time-base value - 10) x sample period above 10, else the sample period.
double TracePointTime(const TraceExportInput& input);
// The analog value of point k as exported (RAW, or normalised by the shaper gains).
long long TraceExportValue(const TraceExportInput& input, int k, bool normalised);

// Writes the file; any failure gives kFileCannotCreate or kFileWriteFailed with the message
// "Error opening the file\nand saving the traces!" and keeps the previous file.
FileResult ExportTraceCsv(const std::string& path, const TraceExportInput& input, bool normalised,
                          FileSystemOps& fs = RealFileSystem());

// ExportTraces after its file dialog: ".csv" added to a name without extension, the overwrite
// question, then the export; a failure is shown with its message.
FileResult ExportTracesAs(const std::string& chosenPath, const TraceExportInput& input, bool normalised,
                          IUserDialog& dialog, FileSystemOps& fs = RealFileSystem());

}  // namespace mirvo
