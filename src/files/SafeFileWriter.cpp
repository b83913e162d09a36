#include "files/SafeFileWriter.h"
#include "base/TextFormat.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mirvo {

ssize_t FileSystemOps::Write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int FileSystemOps::Sync(int fd) { return ::fsync(fd); }
int FileSystemOps::Rename(const char* from, const char* to) { return ::rename(from, to); }

FileSystemOps& RealFileSystem() {
  static FileSystemOps fs;
  return fs;
}

namespace {

constexpr std::size_t kBufferLimit = 64 * 1024;

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

unsigned NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666u & ~static_cast<unsigned>(mask);
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename is already done
  ::close(fd);
}

}  // namespace

SafeFileWriter::~SafeFileWriter() { Discard(); }

void SafeFileWriter::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

std::string DescribeFileError(int errnoValue) {
  switch (errnoValue) {
    case ENOENT: return "no such folder";
    case ENOTDIR: return "a part of the path is not a folder";
    case EACCES:
    case EPERM: return "permission denied";
    case EROFS: return "read-only file system";
    case ENOSPC: return "no space left on the disk";
    case EDQUOT: return "disk quota exceeded";
    case EISDIR: return "is a folder";
    default: return std::strerror(errnoValue);
  }
}

void SafeFileWriter::Fail(const std::string& path, int errnoValue) {
  if (reason_.empty()) reason_ = path + ": " + DescribeFileError(errnoValue);
}

int SafeFileWriter::Open(const std::string& target) {
  Discard();
  failed_ = true;
  buffer_.clear();
  reason_.clear();
  if (target.empty()) return kFileCannotCreate;
  target_ = target;
  struct stat info {};
  // A link is followed, so that saving onto it replaces the file it names, not the link.
  if (::lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(target.c_str(), resolved) != nullptr) target_ = resolved;
  }
  if (::stat(target_.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) {
      Fail(target_, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
      return kFileCannotCreate;
    }
    // A file without write permission is never replaced, whoever runs the program.
    if ((info.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0) {
      Fail(target_, (info.st_mode & 0222) == 0 ? EACCES : errno);
      return kFileCannotCreate;
    }
    mode_ = info.st_mode & 07777;
  } else if (errno == ENOENT) {
    mode_ = NewFileMode();
  } else {
    Fail(target_, errno);
    return kFileCannotCreate;
  }
  const auto slash = target_.rfind('/');
  const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  std::string pattern = FolderOf(target_) + "/." + name + ".XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    Fail(FolderOf(target_), errno);
    return kFileCannotCreate;
  }
  fd_ = fd;
  temporary_ = pattern;
  failed_ = false;
  return kFileOk;
}

bool SafeFileWriter::FlushBuffer() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = fs_.Write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Fail(target_, n < 0 ? errno : ENOSPC);
      failed_ = true;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  buffer_.clear();
  return !failed_;
}

void SafeFileWriter::Write(std::string_view text) {
  if (failed_) return;
  buffer_.append(text);
  if (buffer_.size() >= kBufferLimit) FlushBuffer();
}

void SafeFileWriter::Printf(const char* format, ...) {
  if (failed_) return;
  va_list args;
  va_start(args, format);
  const std::string text = FormatTextV(format, args);
  va_end(args);
  Write(text);
}

int SafeFileWriter::Commit() {
  if (fd_ < 0 || failed_ || !FlushBuffer() || ::fchmod(fd_, static_cast<mode_t>(mode_)) != 0 || fs_.Sync(fd_) != 0) {
    if (fd_ >= 0) Fail(target_, errno != 0 ? errno : EIO);
    Discard();
    failed_ = true;
    return kFileWriteFailed;
  }
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0 || fs_.Rename(temporary_.c_str(), target_.c_str()) != 0) {
    Fail(target_, errno != 0 ? errno : EIO);
    Discard();
    failed_ = true;
    return kFileWriteFailed;
  }
  temporary_.clear();
  SyncFolder(FolderOf(target_));
  return kFileOk;
}

bool FileExistsForOverwrite(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::string FileNameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithDefaultExtension(const std::string& path, const char* extension) {
  const std::string name = FileNameOf(path);
  const auto dot = name.rfind('.');
  // A leading dot names a hidden file, not an extension.
  if (dot != std::string::npos && dot > 0) return path;
  return path + "." + extension;
}

}  // namespace mirvo
