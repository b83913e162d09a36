// The outcome of a file operation as the core hands it to its caller: a status code, the message
// box text the program shows for it (empty on success or cancel) and the path that was used.
#pragma once

#include <string>

namespace mirvo {

constexpr int kFileOk = 0;
constexpr int kFileCancelled = 1;      // the user answered Cancel; nothing was written
constexpr int kFileCannotCreate = -1;  // the target or its temporary file could not be created
constexpr int kFileWriteFailed = -2;   // a write, flush or rename failed; the target is untouched
constexpr int kFileCannotOpen = -3;    // the file to read could not be opened

inline constexpr const char* kUnableToSaveFile = "Unable to Save File";
inline constexpr const char* kErrorWritingToFile = "Error Writing to File";
inline constexpr const char* kUnableToOpenFile = "Unable to Open File";
inline constexpr const char* kTraceExportFailed = "Error opening the file\nand saving the traces!";
inline constexpr const char* kOverwriteQuestion = "FILE ALREADY EXISTS. DO YOU WANT TO OVERWRITE THE FILE?";
inline constexpr const char* kErrorCaption = "Error";
inline constexpr const char* kWarningCaption = "Warning";

struct FileResult {
  int status = kFileOk;
  std::string message;  // the text of the message box for a failure
  std::string path;     // the file written or read (after the default extension was added)
  std::string reason{};  // the system's reason for a failure, shown on the line under the message
  bool Ok() const { return status == kFileOk; }
};

}  // namespace mirvo
