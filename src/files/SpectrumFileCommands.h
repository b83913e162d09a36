// The File commands after their file dialogs: Open Spectrum, Save Spectrum As and the CSV exports
// (SaveOrExportDialog), with their questions and messages through the user-dialog interfaces.
// The main window runs the Qt file dialog and passes the chosen path.
#pragma once

#include <string>

#include "files/AcquisitionTimes.h"
#include "files/FileResult.h"
#include "files/SafeFileWriter.h"

namespace mirvo {

class RecordSets;
class IUserDialog;

constexpr int kOpenSpectrumCommand = 32891;
constexpr int kSaveSpectrumAsCommand = 32775;
constexpr int kExportHardSizeCommand = 32850;
constexpr int kExportSoftSizeCommand = 32851;
constexpr std::size_t kMaxTagLength = 100;

// The "Spectrum Tag" dialog: an edit of at most 100 characters with OK and Cancel.
class ITagDialog {
 public:
  virtual ~ITagDialog() = default;
  // Shown pre-filled with `tag`; true for OK with the text in `tag`.
  virtual bool EditTag(std::string& tag) = 0;
};

// Open Spectrum: all four panes show their FILE tab, then LoadSpectrumFile; "Unable to Open File"
// is shown when the file cannot be opened. The caller refreshes the panels and redraws.
FileResult OpenSpectrum(RecordSets& sets, const std::string& chosenPath, IUserDialog& dialog);

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

}  // namespace mirvo
