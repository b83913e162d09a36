#include "acquisition/LoggedRunSaver.h"

#include "base/Clock.h"
#include "display/RecordSets.h"
#include "files/N42Writer.h"
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

// The .mps file unless the N42 file replaces it, then the N42 file when one is asked for.
template <typename SaveMps>
bool SaveRun(const LoggedRunFile& file, const std::array<const SpectrumRecord*, 4>& records, IUserDialog& dialogs,
             std::string& reason, SaveMps&& saveMps) {
  bool ok = true;
  std::string n42Reason;
  if (file.n42 != LoggedN42::Instead) ok = Report(saveMps(), dialogs, reason);
  if (file.n42 != LoggedN42::Off) {
    const std::int64_t now = SystemClock().UtcMilliseconds();
    ok = Report(WriteN42File(records, kAllSpectra, LoggedN42Path(file.path), TimesOf(file), now), dialogs, n42Reason) &&
         ok;
    if (reason.empty()) reason = n42Reason;
  }
  return ok;
}

}  // namespace

std::string LoggedN42Path(const std::string& mpsPath) {
  const std::string extension = std::string(".") + kSpectrumExtension;
  if (mpsPath.size() >= extension.size() && mpsPath.compare(mpsPath.size() - extension.size(), extension.size(), extension) == 0)
    return mpsPath.substr(0, mpsPath.size() - extension.size()) + "." + kN42Extension;
  return mpsPath + "." + kN42Extension;
}

bool RecordSetsRunSaver::SaveLoggedRun(const LoggedRunFile& file) {
  std::array<const SpectrumRecord*, 4> buffer{};
  for (int k = 0; k < 4; ++k) buffer[static_cast<std::size_t>(k)] = &sets_.BufferPlot(k).Record();
  return SaveRun(file, buffer, dialogs_, lastFailureReason, [&] { return SaveSpectrumFile(sets_, file.path, true, TimesOf(file)); });
}

bool BufferRecordsRunSaver::SaveLoggedRun(const LoggedRunFile& file) {
  return SaveRun(file, records_, dialogs_, lastFailureReason, [&] { return WriteSpectrumFile(records_, file.path, TimesOf(file)); });
}

}  // namespace mirvo
