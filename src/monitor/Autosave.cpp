#include "monitor/Autosave.h"

#include <cstdio>
#include <filesystem>

#include "base/TextFormat.h"
#include "files/RecoveryFolder.h"

namespace mirvo {
namespace {

constexpr const char* kRecoveryFileName = "running-acquisition.mps";
constexpr const char* kGuardFileName = "before-connect.mps";
constexpr double kTimeStepBack = 0.5;  // seconds


bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

void RemoveFile(const std::string& path) {
  std::error_code ec;
  if (!path.empty()) std::filesystem::remove(path, ec);
}

std::string FailureText(const FileResult& result) {
  std::string text = result.message;
  if (!result.reason.empty()) text.append(" (").append(result.reason).append(")");
  return text;
}

}  // namespace

std::string Autosave::RecoveryFilePath() {
  const std::string folder = RecoveryFolder();
  if (folder.empty()) return {};
  return (std::filesystem::path(folder) / kRecoveryFileName).string();
}

std::string Autosave::LeftOverRecoveryFile() {
  std::string path = RecoveryFilePath();
  return FileExists(path) ? path : std::string();
}

std::string Autosave::KeepAside(const std::string& path) {
  if (!FileExists(path)) return {};
  const std::string kept = RecoveryPathFor(path);
  if (kept.empty()) return {};
  std::error_code ec;
  std::filesystem::rename(path, kept, ec);
  return ec ? std::string() : kept;
}

void Autosave::Baseline(const AutosaveReading& reading) {
  lastReal_ = reading.realSeconds;
  lastCounts_ = reading.totalCounts;
  lastStamp_ = reading.startStamp;
}

void Autosave::ClearRecoveryFile() {
  if (!lastSavePath_.empty()) RemoveFile(lastSavePath_);
  lastSavePath_.clear();
}

std::vector<AutosaveNotice> Autosave::OnStatus(const AutosaveReading& reading) {
  std::vector<AutosaveNotice> out;
  const std::int64_t now = clock_.UtcMilliseconds();
  if (reading.seriesRunning) {  // the logger resets the instrument between runs and saves each run itself
    runActive_ = false;
    Baseline(reading);
    return out;
  }
  if (runActive_) {
    // Counts never shrink in a run; the real time read from its registers may wobble by a few
    // milliseconds, so only a clear step back (or a fall to zero) counts.
    const bool timeWentBack =
        reading.realSeconds + kTimeStepBack < lastReal_ || (reading.realSeconds == 0.0 && lastReal_ > 0.0);
    const bool wentBack = timeWentBack || reading.totalCounts < lastCounts_;
    // A start or RESET from the program writes a new start stamp; an instrument that lost its
    // memory by itself keeps the old one (or none). The program sets the run bit of its image at START before the instrument's reset times are
    // read back, so the first readings of a run may still hold the previous run's times (and, within
    // the same second, its start stamp): times going back before they were seen to advance are the
    // start's own reset.
    const bool restartedOnPurpose =
        (reading.startStamp != 0 && reading.startStamp != lastStamp_) || !advanced_;
    if (reading.realSeconds > lastReal_) advanced_ = true;
    if (wentBack && !restartedOnPurpose) {
      if (FileExists(lastSavePath_)) {
        const std::string kept = KeepAside(lastSavePath_);
        out.push_back({FormatText("The instrument was reset during the run: the last autosave (real time %.0f s) "
                                  "is kept in %s",
                                  savedReal_, kept.empty() ? lastSavePath_.c_str() : kept.c_str()),
                       true, true});
      } else {
        out.push_back({"The instrument was reset during the run; no autosave of the run had been made", true, true});
      }
      lastSavePath_.clear();
      lastTryMs_ = now;
      runActive_ = reading.running;
      advanced_ = false;
      Baseline(reading);
      return out;
    }
    if (wentBack) {  // the run was reset on purpose: its autosave is no longer needed
      ClearRecoveryFile();
      lastTryMs_ = now;
      advanced_ = false;
    } else if (!reading.running) {  // stopped or ended at its preset
      ClearRecoveryFile();
      runActive_ = false;
    }
  } else if (reading.running) {
    runActive_ = true;
    lastTryMs_ = now;
    advanced_ = false;
  }
  Baseline(reading);
  if (runActive_ && intervalMinutes_ > 0 && !reading.seriesRunning &&
      now - lastTryMs_ >= intervalMinutes_ * 60000LL) {
    lastTryMs_ = now;
    out = SaveNow(reading);
  }
  return out;
}

std::vector<AutosaveNotice> Autosave::SaveNow(const AutosaveReading& reading) {
  const std::string path = RecoveryFilePath();
  FileResult result;
  if (path.empty()) {
    result = {kFileCannotCreate, kUnableToSaveFile, path, "the recovery folder cannot be made"};
  } else {
    result = writer_(path, fs_);
  }
  if (result.Ok()) {
    lastSavePath_ = path;
    lastSaveMs_ = clock_.UtcMilliseconds();
    savedReal_ = reading.realSeconds;
    return {{FormatText("Autosave: the BUFFER set (real time %.0f s) is saved in %s", reading.realSeconds,
                        path.c_str()),
             false, false}};
  }
  std::string text = "Autosave failed: ";
  text.append(FailureText(result));
  if (FileExists(lastSavePath_)) {
    text.append(FormatText("; the previous autosave (real time %.0f s) is kept in %s", savedReal_,
                           lastSavePath_.c_str()));
  } else {
    text.append("; there is no earlier autosave of this run");
  }
  return {{text, true, true}};
}

std::vector<AutosaveNotice> Autosave::OnBufferSaved(std::uint64_t totalCounts) {
  savedCounts_ = totalCounts;
  ClearRecoveryFile();
  return {};
}

std::vector<AutosaveNotice> Autosave::OnConnecting(std::uint64_t bufferCounts, double bufferRealSeconds) {
  RemoveFile(guardPath_);  // a copy from a connect that never got its first reply
  guardPath_.clear();
  if (!HasUnsavedCounts(bufferCounts)) return {};
  const std::string folder = RecoveryFolder();
  const std::string path = folder.empty() ? std::string() : RecoveryPathFor(folder + "/" + kGuardFileName);
  FileResult result = path.empty() ? FileResult{kFileCannotCreate, kUnableToSaveFile, path, "no recovery folder"}
                                   : writer_(path, fs_);
  if (!result.Ok()) {
    return {{"The unsaved BUFFER set could not be copied before connecting: " + FailureText(result), true, true}};
  }
  guardPath_ = path;
  guardReal_ = bufferRealSeconds;
  return {};
}

std::vector<AutosaveNotice> Autosave::OnFirstStatus(double instrumentRealSeconds) {
  if (guardPath_.empty()) return {};
  std::vector<AutosaveNotice> out;
  if (instrumentRealSeconds + 0.005 < guardReal_) {
    out.push_back({FormatText("The instrument holds less than the unsaved BUFFER set (real time %.2f s against "
                              "%.2f s): the BUFFER set was saved to %s before it is replaced",
                              instrumentRealSeconds, guardReal_, guardPath_.c_str()),
                   true, true});
  } else {
    RemoveFile(guardPath_);
  }
  guardPath_.clear();
  return out;
}

}  // namespace mirvo
