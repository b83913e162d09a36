#include "files/SpectrumFileCommands.h"

#include "display/RecordSets.h"
#include "display/UserDialog.h"
#include "files/SpectrumCsv.h"
#include "files/SpectrumFile.h"

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

FileResult OpenSpectrum(RecordSets& sets, const std::string& chosenPath, IUserDialog& dialog) {
  for (int k = 0; k < 4; ++k) sets.SelectTab(k, kFileSet);
  return Shown(LoadSpectrumFile(sets, chosenPath), dialog);
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

}  // namespace mirvo
