#include "files/SpectrumFileCommands.h"

#include "display/RecordSets.h"
#include "display/UserDialog.h"
#include "files/SpectrumCsv.h"
#include "files/N42Writer.h"
#include "files/SpeWriter.h"
#include "files/SpectrumFile.h"
#include "files/SpectrumImport.h"

namespace mirvo {

namespace {

// Steps 3 and 4 shared by the save and export forms: the overwrite question and the tag dialog.
bool ConfirmAndTag(RecordSets& sets, const std::string& path, const AcquisitionTimes& times, IUserDialog& dialog,
                   ITagDialog& tagDialog) {
  if (FileExistsForOverwrite(path) && !dialog.AskOkCancel(kOverwriteQuestion, kWarningCaption, MessageIcon::Stop))
    return false;
  SpectrumRecord& settings = sets.SettingsRecord();
  std::string tag = settings.tag;
  if (tagDialog.EditTag(tag)) {
    if (tag.size() > kMaxTagLength) tag.resize(kMaxTagLength);
    settings.tag = tag;
  } else {
    settings.tag = times.stampText;
  }
  return true;
}

FileResult Shown(FileResult result, IUserDialog& dialog) {
  if (!result.Ok()) dialog.ShowMessage(result.message, kErrorCaption, MessageIcon::Stop);
  return result;
}

}  // namespace

FileResult OpenSpectrum(RecordSets& sets, const std::string& chosenPath, IUserDialog& dialog,
                        std::vector<std::string>* notes) {
  for (int k = 0; k < 4; ++k) sets.SelectTab(k, kFileSet);
  std::vector<std::string> told;
  std::vector<std::string> damage;
  FileResult result = Shown(LoadAnySpectrumFile(sets, chosenPath, told, &damage), dialog);
  for (const std::string& what : damage) told.push_back("Warning: " + FileNameOf(chosenPath) + ": " + what);
  if (notes != nullptr) notes->insert(notes->end(), told.begin(), told.end());
  return result;
}

FileResult SaveSpectrumAs(RecordSets& sets, const std::string& chosenPath, const AcquisitionTimes& times,
                          IUserDialog& dialog, ITagDialog& tagDialog, FileSystemOps& fs) {
  const std::string path = WithDefaultExtension(chosenPath, kSpectrumExtension);
  if (!ConfirmAndTag(sets, path, times, dialog, tagDialog)) return {kFileCancelled, "", path};
  return Shown(SaveSpectrumFile(sets, path, false, times, fs), dialog);
}

FileResult ExportSpectrumAs(RecordSets& sets, const std::string& chosenPath, bool hardSize,
                            const AcquisitionTimes& times, IUserDialog& dialog, ITagDialog& tagDialog,
                            FileSystemOps& fs) {
  if (!ConfirmAndTag(sets, chosenPath, times, dialog, tagDialog)) return {kFileCancelled, "", chosenPath};
  return Shown(ExportSpectrumCsv(sets.ActivePlot(), chosenPath, hardSize, times, fs), dialog);
}

std::array<const SpectrumRecord*, 4> ActiveRecords(RecordSets& sets) {
  std::array<const SpectrumRecord*, 4> records{};
  for (int k = 0; k < 4; ++k) records[static_cast<std::size_t>(k)] = &sets.ActivePlot(k).Record();
  return records;
}

FileResult ExportInterchangeAs(RecordSets& sets, const std::string& chosenPath, InterchangeExport kind,
                               const AcquisitionTimes& times, std::int64_t nowUtcMs, IUserDialog& dialog,
                               ITagDialog& tagDialog, FileSystemOps& fs) {
  if (!ConfirmAndTag(sets, chosenPath, times, dialog, tagDialog)) return {kFileCancelled, "", chosenPath};
  const std::array<const SpectrumRecord*, 4> records = ActiveRecords(sets);
  const int active = sets.ActiveSpectrumIndex();
  switch (kind) {
    case InterchangeExport::N42AllSpectra:
      return Shown(WriteN42File(records, kAllSpectra, chosenPath, times, nowUtcMs, fs), dialog);
    case InterchangeExport::N42ThisSpectrum:
      return Shown(WriteN42File(records, active, chosenPath, times, nowUtcMs, fs), dialog);
    case InterchangeExport::SpeThisSpectrum:
      break;
  }
  return Shown(WriteSpeFile(records, active, chosenPath, times, fs), dialog);
}

}  // namespace mirvo
