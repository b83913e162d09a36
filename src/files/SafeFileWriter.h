// The one way the program writes a file: into a temporary file beside the target that is flushed,
// synced and renamed over the target only when every byte was written, so a failed save never
// destroys the previous file. Also the path helpers the save commands share.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

#include "files/FileResult.h"

namespace mirvo {

// The system calls the writer makes; tests replace them to simulate a full disk or a failed rename.
class FileSystemOps {
 public:
  virtual ~FileSystemOps() = default;
  virtual ssize_t Write(int fd, const void* data, std::size_t size);
  virtual int Sync(int fd);
  virtual int Rename(const char* from, const char* to);
};
FileSystemOps& RealFileSystem();

class SafeFileWriter {
 public:
  explicit SafeFileWriter(FileSystemOps& fs = RealFileSystem()) : fs_(fs) {}
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;
  // Removes the temporary file unless Commit succeeded.
  ~SafeFileWriter();

  // Creates the temporary file in the target's folder. kFileCannotCreate when the folder is missing
  // or not writable, or the target is a folder or a read-only file (even for root).
  int Open(const std::string& target);
  // Buffered; the first failure is kept and later writes are dropped.
  void Write(std::string_view text);
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  bool Failed() const { return failed_; }
  // Flushes, syncs, gives the file the target's permissions (or the usual ones for a new file)
  // and renames it over the target. kFileOk, or kFileWriteFailed with the target untouched.
  int Commit();
  // Why Open or Commit failed, for the line under the message box: "<path>: no space left on the
  // disk", "<folder>: no such folder" ... Empty while nothing failed.
  const std::string& FailureReason() const { return reason_; }

 private:
  void Fail(const std::string& path, int errnoValue);
  bool FlushBuffer();
  void Discard();

  FileSystemOps& fs_;
  int fd_ = -1;
  std::string target_;
  std::string temporary_;
  std::string buffer_;
  unsigned mode_ = 0;
  bool failed_ = false;
  std::string reason_;
};

// A short text for an errno value of a file operation ("read-only file system", "no space left
// on the disk" ...).
std::string DescribeFileError(int errnoValue);

// True when the file exists and can be opened for reading and writing (the overwrite question).
bool FileExistsForOverwrite(const std::string& path);
// The path with "." + extension appended when its file name has no extension of its own.
std::string WithDefaultExtension(const std::string& path, const char* extension);
// The file name with extension, without its folder.
std::string FileNameOf(const std::string& path);

}  // namespace mirvo
