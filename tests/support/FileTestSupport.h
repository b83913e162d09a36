// Helpers for the file tests: a temporary folder removed afterwards, whole-file read and write,
// scripted message boxes and tag dialog, and a file system whose writes or rename fail on cue.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display/UserDialog.h"
#include "files/SafeFileWriter.h"
#include "files/SpectrumFileCommands.h"

namespace mirvo::test {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mirvo-files-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }
  // Every entry of the folder, hidden temporary files included.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWhole(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', start)) {
    lines.push_back(text.substr(start, lf - start));
    start = lf + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

// Records every message box; questions are answered from `answers` (OK when none is left).
struct ScriptedUserDialog : IUserDialog {
  std::vector<ShownMessage> messages;
  std::vector<ShownMessage> questions;
  std::vector<bool> answers;
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    messages.push_back({text, caption, icon});
  }
  bool AskOkCancel(const std::string& text, const std::string& caption, MessageIcon icon) override {
    questions.push_back({text, caption, icon});
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
};

// OK with `text`, or Cancel; remembers what it was pre-filled with.
struct ScriptedTagDialog : ITagDialog {
  bool ok = true;
  std::string text;
  std::string shown;
  int runs = 0;
  bool EditTag(std::string& tag) override {
    ++runs;
    shown = tag;
    if (ok) tag = text;
    return ok;
  }
};

// Writes succeed until `bytesBeforeFull` bytes were written, then fail as on a full disk; the
// rename fails when asked to.
struct FaultyFileSystem : FileSystemOps {
  std::size_t bytesBeforeFull = static_cast<std::size_t>(-1);
  bool failRename = false;
  std::size_t written = 0;
  ssize_t Write(int fd, const void* data, std::size_t size) override {
    if (written >= bytesBeforeFull) {
      errno = ENOSPC;
      return -1;
    }
    const std::size_t allowed = std::min(size, bytesBeforeFull - written);
    const ssize_t n = FileSystemOps::Write(fd, data, allowed);
    if (n > 0) written += static_cast<std::size_t>(n);
    return n;
  }
  int Rename(const char* from, const char* to) override {
    if (failRename) {
      errno = EXDEV;
      return -1;
    }
    return FileSystemOps::Rename(from, to);
  }
};

}  // namespace mirvo::test
