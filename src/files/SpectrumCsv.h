// The CSV export of one spectrum record (ExportSpectrumCsv): a header with caption, start stamp,
// tag and times, then one "channel, count" line per hard or soft channel.
#pragma once

#include <string>

#include "files/AcquisitionTimes.h"
#include "files/FileResult.h"
#include "files/SafeFileWriter.h"

namespace mirvo {

class SpectrumPlot;

// The start stamp split for the export: the date part before its first space and the time part
// after it; without a space the date part is empty and the time part the whole text.
struct StampParts {
  std::string date;
  std::string time;
};
StampParts SplitStamp(const std::string& stampText);
// The kind for the export: the kind text after its first ':' (" SYSTEM" with its leading space).
std::string ExportKind(const std::string& kindText);

// Limits the record's sizes to 512..4096, brings its soft counts up to date with its hard counts
// and writes the export: all hard channels with `hardSize`, else the soft channels.
// kFileCannotCreate "Unable to Save File"; kFileWriteFailed "Error Writing to File".
FileResult ExportSpectrumCsv(SpectrumPlot& plot, const std::string& path, bool hardSize, const AcquisitionTimes& times,
                             FileSystemOps& fs = RealFileSystem());

}  // namespace mirvo
