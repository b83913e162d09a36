#include "acquisition/LoggedRunSaver.h"

#include "files/SpectrumFile.h"

namespace mirvo {
namespace {

AcquisitionTimes TimesOf(const LoggedRunFile& file) {
  AcquisitionTimes times;
  times.realSeconds = file.realSeconds;
  times.liveSeconds = file.liveSeconds;
  times.deadPercent = file.deadPercent;
  times.stampText = file.startText;
  if (!file.kindText.empty()) times.kindText = file.kindText;
  return times;
}

bool Report(const FileResult& result, IUserDialog& dialogs, std::string& reason) {
  reason = result.Ok() ? std::string() : result.reason;
  if (!result.Ok()) dialogs.ShowMessage(result.message, kErrorCaption, MessageIcon::Stop);
  return result.Ok();
}

}  // namespace

bool RecordSetsRunSaver::SaveLoggedRun(const LoggedRunFile& file) {
  return Report(SaveSpectrumFile(sets_, file.path, true, TimesOf(file)), dialogs_, lastFailureReason);
}

bool BufferRecordsRunSaver::SaveLoggedRun(const LoggedRunFile& file) {
  return Report(WriteSpectrumFile(records_, file.path, TimesOf(file)), dialogs_, lastFailureReason);
}

}  // namespace mirvo
