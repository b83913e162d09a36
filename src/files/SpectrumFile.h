// The spectrum file (.mps): SaveSpectrumFile writes a save set of four records with the acquisition
// panel's times; LoadSpectrumFile reads a file into the FILE set and shows it.
//
// For the spectrum logger: after each run,
//   FileResult r = SaveSpectrumFile(sets, path, /*bufferSet=*/true, times);
//   if (!r.Ok()) dialog.ShowMessage(r.message, kErrorCaption, MessageIcon::Stop);
// A failed save leaves any previous file of that name as it was and no partial file behind.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "files/AcquisitionTimes.h"
#include "files/FileResult.h"
#include "files/SafeFileWriter.h"

namespace mirvo {

class RecordSets;
struct SpectrumRecord;

inline constexpr const char* kSpectrumExtension = "mps";

// Makes the save set the BUFFER records (bufferSet) or the four active records (Save Spectrum As)
// and writes them to `path`. Statuses: kFileOk; kFileCannotCreate with "Unable to Save File";
// kFileWriteFailed with "Error Writing to File". No record changes.
FileResult SaveSpectrumFile(RecordSets& sets, const std::string& path, bool bufferSet, const AcquisitionTimes& times,
                            FileSystemOps& fs = RealFileSystem());
// The same for four given records, [0] being S0.
FileResult WriteSpectrumFile(const std::array<const SpectrumRecord*, 4>& saveSet, const std::string& path,
                             const AcquisitionTimes& times, FileSystemOps& fs = RealFileSystem());

// Reads the file into the FILE set: the FILE records are reset, the file's lines applied, the sizes
// applied and SyncShownSet run. kFileCannotOpen with "Unable to Open File" (nothing changed) when
// the file cannot be opened or read; any content, however malformed, loads without a message.
FileResult LoadSpectrumFile(RecordSets& sets, const std::string& path);
// The same from an open stream; `fileName` stands for the file name in the tags and labels.
// `damage`, when given, receives what a file that loaded was missing ("spectrum S2 holds 100 of its
// 4096 channels: the rest read as 0", "the file ends early (truncated?)"); empty for a whole file.
FileResult LoadSpectrumStream(RecordSets& sets, std::FILE* stream, const std::string& fileName,
                              std::vector<std::string>* damage = nullptr);

}  // namespace mirvo
