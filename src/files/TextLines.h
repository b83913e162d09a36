// Reading the line-oriented spectrum and register files: lines of at most 255 characters (longer
// ones in pieces), a line budget, the space-free working text, element names and their values.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace mirvo {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for reading; null for anything else, since a folder, a pipe or a device
// would fail, block or never end.
FilePtr OpenRegularFile(const std::string& path);

class LineReader {
 public:
  static constexpr std::size_t kMaxPiece = 255;
  static constexpr int kMaxLines = 50000;

  // Reads from the stream's current position at most `lineBudget` lines. The stream stays owned by
  // the caller.
  LineReader(std::FILE* stream, int lineBudget) : stream_(stream), budget_(lineBudget) {}

  // The next line: up to 255 characters before the line feed, which is consumed; the character
  // after a full 255-character piece is dropped and the rest of the line is the next piece. A
  // carriage return before a line feed is dropped. False at the end of the file or of the budget.
  bool Next(std::string& raw);
  int LinesRead() const { return read_; }
  bool ReadError() const { return std::ferror(stream_) != 0; }

 private:
  int Get();

  std::FILE* stream_;
  int budget_;
  int read_ = 0;
};

// Counts the lines from the stream's position to its end, at most 50000, and rewinds it.
// -1 when the stream cannot be read.
int CountLines(std::FILE* stream);

// One line of a file with the texts the readers look at.
struct FileLine {
  std::string raw;   // as read
  std::string work;  // raw with every space removed
  std::string name;  // work between its first '<' and its first '>', lower case; empty without
  std::string closing;  // "</" + name + ">"

  bool Read(LineReader& reader);
  // The working text is this closing line ("</data>", "</spectrum2>"), in any letter case.
  bool Is(std::string_view line) const;
  bool Contains(std::string_view text) const { return work.find(text) != std::string::npos; }
  // The line holds its element's closing tag too (any letter case).
  bool HasClosing() const;
  // The working text without its opening and closing tag.
  std::string Value() const;
  // The raw text between the opening tag and the closing tag, spaces kept.
  std::string RawValue() const;
};

// Numbers read from the start of a text up to the first character that cannot belong to them,
// 0 when there is none. Counts take an optional '+' and stop at 4294967295; integers take a sign
// and stop at the 32-bit limits; decimals that are not finite read as 0.
std::uint32_t ReadCount(std::string_view text);
std::int32_t ReadInteger(std::string_view text);
double ReadDecimal(std::string_view text);

}  // namespace mirvo
