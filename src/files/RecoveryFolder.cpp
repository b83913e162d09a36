#include "files/RecoveryFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "files/FileResult.h"
#include "files/SafeFileWriter.h"

namespace mirvo {

std::string RecoveryFolder() {
  namespace fs = std::filesystem;
  fs::path folder;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
    folder = state;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    folder = fs::path(home) / ".local" / "state";
  } else {
    folder = fs::temp_directory_path();
  }
  folder /= "mirvo-psd";
  std::error_code ec;
  fs::create_directories(folder, ec);
  return fs::is_directory(folder, ec) ? folder.string() : std::string();
}

std::string RecoveryPathFor(const std::string& target) {
  namespace fs = std::filesystem;
  const std::string folder = RecoveryFolder();
  if (folder.empty()) return {};
  const fs::path wanted(target);
  const std::string stem = wanted.stem().empty() ? std::string("spectrum") : wanted.stem().string();
  const std::string extension = wanted.extension().empty() ? std::string(".mps") : wanted.extension().string();
  for (int n = 1; n < 100000; ++n) {
    const fs::path candidate = fs::path(folder) / (stem + "-unsaved-" + std::to_string(n) + extension);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate.string();
  }
  return {};
}

std::string WhyCannotWrite(const std::string& path) {
  SafeFileWriter probe;  // creates its temporary file beside the target; removed when it goes
  if (probe.Open(path) == kFileOk) return {};
  return probe.FailureReason().empty() ? path + ": cannot be written" : probe.FailureReason();
}

}  // namespace mirvo
