// The history as a CSV file: a header row with the units, then one row per sample or merged
// bucket with its times and, for each quantity, mean, minimum and maximum (empty when unknown).
// Numbers in the C locale whatever the user's locale.
#pragma once

#include <cstdint>
#include <string>

#include "files/FileResult.h"
#include "files/SafeFileWriter.h"
#include "monitor/HistoryBuffer.h"

namespace mirvo {

class IUserDialog;

enum class HistoryKind { kRun, kSeries };

inline constexpr const char* kHistoryExportFailed = "Error opening the file\nand saving the history!";

// The whole file as text; originUtcMs is time 0 of the buffer.
std::string HistoryCsvText(const HistoryBuffer& buffer, HistoryKind kind, std::int64_t originUtcMs);
// Written through the safe writer: a failure keeps the previous file.
FileResult ExportHistoryCsv(const std::string& path, const HistoryBuffer& buffer, HistoryKind kind,
                            std::int64_t originUtcMs, FileSystemOps& fs = RealFileSystem());

// Export History after its file dialog: ".csv" added to a name without extension, the overwrite
// question, then the export; a failure is shown with its message.
FileResult ExportHistoryAs(const std::string& chosenPath, const HistoryBuffer& buffer, HistoryKind kind,
                           std::int64_t originUtcMs, IUserDialog& dialog, FileSystemOps& fs = RealFileSystem());

}  // namespace mirvo
