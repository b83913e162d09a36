#include "acquisition/SpectrumLogger.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace mirvo {

std::string LoggedFileName(const std::string& pathBase, int run) {
  char number[16];
  std::snprintf(number, sizeof number, "_%04d", run);
  return pathBase + number + ".mps";
}

bool ValidFileNameBase(const std::string& base) {
  return base.find_first_of(kRefusedBaseCharacters) == std::string::npos;
}

namespace {
// "Can be opened": an existing file that this user may read.
bool FileOpens(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}
}  // namespace

bool SpectrumLogger::Refuse(const char* message) {
  dialogs_.ShowMessage(message);
  enabled_ = false;
  return true;
}

bool SpectrumLogger::OnEnableClicked(bool ticked, const LoggerArmingFacts& facts) {
  const bool before = enabled_;
  enabled_ = ticked;
  pathBase_ = folder_ + base_;

  // The first failing check shows its message and clears the box.
  if (!ValidFileNameBase(base_)) {
    Refuse(kInvalidFileNameText);
  } else if (!facts.responding) {
    Refuse(kNoDeviceText);
  } else if (enabled_) {
    if (folder_.empty() || base_.empty())
      Refuse(kNoFolderOrBaseText);
    else if (runs_ <= 0)  // a negative count would never be reached either
      Refuse(kNoRunsText);
    else if (facts.realTime > 0)
      Refuse(kPressResetText);
    else if (facts.lastRunBit == 1)
      Refuse(kStopAcquisitionFirstText);
  }

  // A box that is clear now (also after a failed check) ends a series at once.
  if (!enabled_ || enabled_ == before) {
    running_ = false;
    return true;
  }
  if (FileOpens(FileOfRun(1))) {
    if (dialogs_.AskOkCancel(kOverwriteLoggingText, "Warning", MessageIcon::Stop))
      completed_ = 0;
    else
      enabled_ = false;
  } else {
    completed_ = 0;
  }
  return !enabled_;
}

void SpectrumLogger::OnFolderClicked() {
  if (running_) {
    dialogs_.ShowMessage(kFolderWhileLoggingText);
    return;
  }
  std::string chosen;
  if (!folders_.ChooseFolder(kSelectFolderTitle, kFolderChooserStart, chosen) || chosen.empty()) return;
  SetStorageFolder(chosen);
}

const std::string& SpectrumLogger::OnBaseEdited(const std::string& base) {
  if (!running_) SetFileNameBase(base);
  return base_;
}

std::int32_t SpectrumLogger::OnRunsChanged(std::int32_t runs) {
  runs_ = running_ && runs <= completed_ ? completed_ + 1 : runs;
  return runs_;
}

void SpectrumLogger::SetStorageFolder(const std::string& folder) {
  folder_ = folder;
  if (!folder_.empty() && folder_.back() != kFolderSeparator) folder_ += kFolderSeparator;
  pathBase_ = folder_ + base_;
}

void SpectrumLogger::SetFileNameBase(const std::string& base) {
  base_ = base;
  pathBase_ = folder_ + base_;
}

bool SpectrumLogger::SaveRun(const LoggedRunFile& file) {
  if (saver_ == nullptr) return false;
  LoggedRunFile run = file;
  run.n42 = n42_;
  return saver_->SaveLoggedRun(run);
}

}  // namespace mirvo
