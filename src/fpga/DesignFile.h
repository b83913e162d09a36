// A design file opened for an upload or a verify: the causes of a failed open with their texts,
// the .mbf header with its signature and bit-reversed checksum, and reading the file block by block.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace mirvo::fpga {

// Causes of a file failure, numbered as the file-error texts are.
namespace file_cause {
constexpr int kNone = 0;
constexpr int kGeneric = 1;
constexpr int kFileNotFound = 2;
constexpr int kBadPath = 3;
constexpr int kTooManyOpenFiles = 4;
constexpr int kAccessDenied = 5;
constexpr int kInvalidFile = 6;
constexpr int kRemoveCurrentDir = 7;
constexpr int kDirectoryFull = 8;
constexpr int kBadSeek = 9;
constexpr int kHardIo = 10;
constexpr int kSharingViolation = 11;
constexpr int kLockViolation = 12;
constexpr int kDiskFull = 13;
constexpr int kEndOfFile = 14;
}  // namespace file_cause

// "The file could not be located." ... "File Error." for any other cause.
const char* FileErrorText(int cause);
// The cause that a Linux errno value stands for.
int FileCauseFromErrno(int errnoValue);

// The extension of the file's name: the text after the last '.' of its last path component
// ("" without one). Compared case-sensitively with "mbf" and "rbf".
std::string FileExtension(const std::string& path);
constexpr const char* kHeaderExtension = "mbf";
constexpr const char* kReversedExtension = "rbf";

struct DesignHeader {
  std::uint16_t commandWord = 0;
  std::uint16_t signature = 0;
  std::uint32_t flashAddress = 0;
  std::uint32_t reserved = 0;  // not interpreted, part of the checksum
  std::uint32_t checksum = 0;
};
DesignHeader ParseDesignHeader(std::span<const std::uint8_t, 16> bytes);

// Sum of header bytes 0-11 plus every following byte with its bit order reversed, 32 bits.
class DesignChecksum {
 public:
  void AddHeader(std::span<const std::uint8_t, 16> header);
  void AddData(std::span<const std::uint8_t> data);
  std::uint32_t Sum() const { return sum_; }

 private:
  std::uint32_t sum_ = 0;
};

// An open design file (RAII over a stdio stream).
class DesignFile {
 public:
  DesignFile() = default;
  ~DesignFile() { Close(); }
  DesignFile(const DesignFile&) = delete;
  DesignFile& operator=(const DesignFile&) = delete;

  // Opens a regular file for reading; on failure returns the cause (an empty file is the end of file
  // reached: it holds no design). Returns file_cause::kNone when open.
  int Open(const std::string& path);
  // Takes a stream that is already open (the fuzz target's memory stream); its length is measured.
  int Adopt(std::FILE* stream);
  void Close();
  bool IsOpen() const { return stream_ != nullptr; }
  std::uint64_t Length() const { return length_; }
  bool Rewind();
  // Reads up to out.size() bytes from the current position; returns how many. A read error sets
  // the cause of Failure() and returns what was read before it.
  std::size_t Read(std::span<std::uint8_t> out);
  int Failure() const { return failure_; }

 private:
  std::FILE* stream_ = nullptr;
  std::uint64_t length_ = 0;
  int failure_ = file_cause::kNone;
};

// The header check of an .mbf file: reads the header and the whole file, compares signature and
// checksum, and rewinds. kHeaderInvalid covers a file too short for its header.
enum class DesignCheck { kValid, kHeaderInvalid, kReadError };
DesignCheck CheckHeaderFile(DesignFile& file, DesignHeader* header = nullptr);

}  // namespace mirvo::fpga
