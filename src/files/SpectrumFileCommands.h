// The File commands after their file dialogs: Open Spectrum, Save Spectrum As and the CSV exports
// (SaveOrExportDialog), with their questions and messages through the user-dialog interfaces.
// The main window runs the Qt file dialog and passes the chosen path.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "files/AcquisitionTimes.h"
#include "files/FileResult.h"
#include "files/SafeFileWriter.h"

namespace mirvo {

class RecordSets;
class IUserDialog;
struct SpectrumRecord;

constexpr int kOpenSpectrumCommand = 32891;
constexpr int kSaveSpectrumAsCommand = 32775;
constexpr int kExportHardSizeCommand = 32850;
constexpr int kExportSoftSizeCommand = 32851;
constexpr std::size_t kMaxTagLength = 100;
// File > Export Spectrum To... > N42.42 (all spectra), N42.42 (this spectrum), IAEA SPE (this spectrum).
constexpr int kExportN42AllCommand = 32951;
constexpr int kExportN42OneCommand = 32952;
constexpr int kExportSpeOneCommand = 32953;

enum class InterchangeExport { N42AllSpectra, N42ThisSpectrum, SpeThisSpectrum };

// The "Spectrum Tag" dialog: an edit of at most 100 characters with OK and Cancel.
class ITagDialog {
 public:
  virtual ~ITagDialog() = default;
  // Shown pre-filled with `tag`; true for OK with the text in `tag`.
  virtual bool EditTag(std::string& tag) = 0;
};

// Open Spectrum: all four panes show their FILE tab, then LoadAnySpectrumFile (a spectrum file, an
// N42.42 or an IAEA SPE file, by content); "Unable to Open File" is shown when the file cannot be
// opened or read. `notes` (when given) receives what the output log should tell about an N42 or SPE
// load. The caller refreshes the panels and redraws.
FileResult OpenSpectrum(RecordSets& sets, const std::string& chosenPath, IUserDialog& dialog,
                        std::vector<std::string>* notes = nullptr);

// Save Spectrum As: ".mps" added to a name without extension; the overwrite question for an
// existing file (Cancel: kFileCancelled, nothing changes); the tag dialog (OK: the settings record's
// tag := its text; Cancel: := the start stamp text); then SaveSpectrumFile of the active records.
FileResult SaveSpectrumAs(RecordSets& sets, const std::string& chosenPath, const AcquisitionTimes& times,
                          IUserDialog& dialog, ITagDialog& tagDialog, FileSystemOps& fs = RealFileSystem());

// Export Spectrum To CSV (hard or soft size): the same questions as Save As, no extension added,
// then ExportSpectrumCsv of the active record of the active spectrum.
FileResult ExportSpectrumAs(RecordSets& sets, const std::string& chosenPath, bool hardSize,
                            const AcquisitionTimes& times, IUserDialog& dialog, ITagDialog& tagDialog,
                            FileSystemOps& fs = RealFileSystem());

// Export Spectrum To N42.42 or IAEA SPE: the same questions as the CSV export, no extension added,
// then the export of the active records (all four, or the active spectrum's alone) with the times
// given; `nowUtcMs` is the N42 document's time.
FileResult ExportInterchangeAs(RecordSets& sets, const std::string& chosenPath, InterchangeExport kind,
                               const AcquisitionTimes& times, std::int64_t nowUtcMs, IUserDialog& dialog,
                               ITagDialog& tagDialog, FileSystemOps& fs = RealFileSystem());

// The four active records ([0] is S0): what Save As and the interchange exports write.
std::array<const SpectrumRecord*, 4> ActiveRecords(RecordSets& sets);

}  // namespace mirvo
