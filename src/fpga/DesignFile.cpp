#include "fpga/DesignFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "fpga/FpgaProtocol.h"

namespace mirvo::fpga {

const char* FileErrorText(int cause) {
  static constexpr const char* kTexts[] = {
      "No error occurred.",
      "An unspecified error occurred.",
      "The file could not be located.",
      "All or part of the path is invalid.",
      "The permitted number of open files was exceeded.",
      "The file could not be accessed.",
      "There was an attempt to use an invalid file handle.",
      "The current working directory cannot be removed.",
      "There are no more directory entries.",
      "There was an error trying to set the file pointer.",
      "There was a hardware error.",
      "SHARE.EXE was not loaded, or a shared region was locked.",
      "There was an attempt to lock a region that was already locked.",
      "The disk is full.",
      "The end of file was reached.",
  };
  if (cause < 0 || cause >= static_cast<int>(std::size(kTexts))) return "File Error.";
  return kTexts[cause];
}

int FileCauseFromErrno(int errnoValue) {
  switch (errnoValue) {
    case 0: return file_cause::kNone;
    case ENOENT: return file_cause::kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL: return file_cause::kBadPath;
    case EMFILE:
    case ENFILE: return file_cause::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY: return file_cause::kAccessDenied;
    case EBADF: return file_cause::kInvalidFile;
    case ESPIPE:
    case EOVERFLOW: return file_cause::kBadSeek;
    case EIO:
    case ENXIO:
    case ENODEV: return file_cause::kHardIo;
    case EAGAIN: return file_cause::kSharingViolation;
    case ENOLCK:
    case EDEADLK: return file_cause::kLockViolation;
    case ENOSPC:
    case EDQUOT: return file_cause::kDiskFull;
    default: return file_cause::kGeneric;
  }
}

std::string FileExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

namespace {
std::uint32_t Long(std::span<const std::uint8_t, 16> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
}  // namespace

DesignHeader ParseDesignHeader(std::span<const std::uint8_t, 16> bytes) {
  DesignHeader header;
  header.commandWord = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
  header.signature = static_cast<std::uint16_t>(bytes[2] | bytes[3] << 8);
  header.flashAddress = Long(bytes, 4);
  header.reserved = Long(bytes, 8);
  header.checksum = Long(bytes, 12);
  return header;
}

void DesignChecksum::AddHeader(std::span<const std::uint8_t, 16> header) {
  for (std::size_t i = 0; i < 12; ++i) sum_ += header[i];
}

void DesignChecksum::AddData(std::span<const std::uint8_t> data) {
  for (std::uint8_t byte : data) sum_ += ReverseBits(byte);
}

int DesignFile::Open(const std::string& path) {
  Close();
  if (path.empty()) return file_cause::kBadPath;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return FileCauseFromErrno(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int cause = FileCauseFromErrno(errno);
    ::close(fd);
    return cause;
  }
  if (!S_ISREG(info.st_mode)) {  // a folder, a device or a pipe holds no design
    ::close(fd);
    return file_cause::kAccessDenied;
  }
  std::FILE* stream = ::fdopen(fd, "rb");
  if (stream == nullptr) {
    const int cause = FileCauseFromErrno(errno);
    ::close(fd);
    return cause;
  }
  return Adopt(stream);
}

int DesignFile::Adopt(std::FILE* stream) {
  Close();
  stream_ = stream;
  failure_ = file_cause::kNone;
  if (std::fseek(stream_, 0, SEEK_END) != 0) {
    Close();
    return file_cause::kBadSeek;
  }
  const long end = std::ftell(stream_);
  if (end < 0 || std::fseek(stream_, 0, SEEK_SET) != 0) {
    Close();
    return file_cause::kBadSeek;
  }
  length_ = static_cast<std::uint64_t>(end);
  if (length_ == 0) {
    Close();
    return file_cause::kEndOfFile;
  }
  return file_cause::kNone;
}

void DesignFile::Close() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
  length_ = 0;
}

bool DesignFile::Rewind() {
  if (stream_ == nullptr) return false;
  if (std::fseek(stream_, 0, SEEK_SET) != 0) {
    failure_ = file_cause::kBadSeek;
    return false;
  }
  std::clearerr(stream_);
  return true;
}

std::size_t DesignFile::Read(std::span<std::uint8_t> out) {
  if (stream_ == nullptr) {
    failure_ = file_cause::kInvalidFile;
    return 0;
  }
  const std::size_t got = std::fread(out.data(), 1, out.size(), stream_);
  if (got < out.size() && std::ferror(stream_)) failure_ = errno != 0 ? FileCauseFromErrno(errno) : file_cause::kHardIo;
  return got;
}

DesignCheck CheckHeaderFile(DesignFile& file, DesignHeader* headerOut) {
  if (!file.Rewind()) return DesignCheck::kReadError;
  std::array<std::uint8_t, kDesignHeaderSize> raw{};
  const std::size_t got = file.Read(raw);
  if (file.Failure() != file_cause::kNone) return DesignCheck::kReadError;
  if (got < raw.size()) {
    file.Rewind();
    return DesignCheck::kHeaderInvalid;
  }
  DesignChecksum sum;
  sum.AddHeader(raw);
  std::array<std::uint8_t, kFlashBlockSize> piece{};
  for (;;) {
    const std::size_t n = file.Read(piece);
    if (file.Failure() != file_cause::kNone) return DesignCheck::kReadError;
    if (n == 0) break;
    sum.AddData(std::span<const std::uint8_t>(piece.data(), n));
  }
  if (!file.Rewind()) return DesignCheck::kReadError;
  const DesignHeader header = ParseDesignHeader(raw);
  if (headerOut != nullptr) *headerOut = header;
  return header.checksum == sum.Sum() && header.signature == kDesignSignature ? DesignCheck::kValid
                                                                               : DesignCheck::kHeaderInvalid;
}

}  // namespace mirvo::fpga
