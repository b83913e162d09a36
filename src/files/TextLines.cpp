#include "files/TextLines.h"

#include <algorithm>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

#include "base/TextFormat.h"

namespace mirvo {

FilePtr OpenRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  FilePtr file(::fdopen(fd, "rb"));
  if (!file) ::close(fd);
  return file;
}

int LineReader::Get() {
  const int c = getc_unlocked(stream_);
  if (c != '\r') return c;
  const int next = getc_unlocked(stream_);
  if (next == '\n') return '\n';
  if (next != EOF) ungetc(next, stream_);
  return c;
}

bool LineReader::Next(std::string& raw) {
  raw.clear();
  if (read_ >= budget_) return false;
  int c = Get();
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    if (raw.size() == kMaxPiece) break;  // this character is dropped; the rest is the next piece
    raw.push_back(static_cast<char>(c));
    c = Get();
  }
  ++read_;
  return true;
}

int CountLines(std::FILE* stream) {
  LineReader reader(stream, LineReader::kMaxLines);
  std::string line;
  while (reader.Next(line)) {
  }
  if (reader.ReadError()) return -1;
  std::rewind(stream);
  return reader.LinesRead();
}

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from = 0) {
  if (what.empty() || text.size() < what.size()) return std::string_view::npos;
  for (std::size_t i = from; i + what.size() <= text.size(); ++i)
    if (EqualNoCase(text.substr(i, what.size()), what)) return i;
  return std::string_view::npos;
}

// Between the first '>' and the last "</" after it (or the end of the text).
std::string Between(const std::string& text) {
  const auto open = text.find('>');
  if (open == std::string::npos) return {};
  const auto close = text.rfind("</");
  const std::size_t end = (close != std::string::npos && close > open) ? close : text.size();
  return text.substr(open + 1, end - open - 1);
}
}  // namespace

bool FileLine::Read(LineReader& reader) {
  if (!reader.Next(raw)) return false;
  work.clear();
  for (char c : raw)
    if (c != ' ') work.push_back(c);
  name.clear();
  const auto lt = work.find('<');
  const auto gt = work.find('>');
  if (lt != std::string::npos && gt != std::string::npos && lt < gt) {
    name = work.substr(lt + 1, gt - lt - 1);
    for (char& c : name) c = Lower(c);
  }
  closing = "</" + name + ">";
  return true;
}

bool FileLine::Is(std::string_view line) const { return EqualNoCase(work, line); }

bool FileLine::HasClosing() const { return !name.empty() && FindNoCase(work, closing, work.find('>')) != std::string_view::npos; }

std::string FileLine::Value() const { return Between(work); }

std::string FileLine::RawValue() const { return Between(raw); }

std::uint32_t ReadCount(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && text[i] == '+') ++i;
  std::uint64_t value = 0;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(text[i] - '0'), kMax);
  return static_cast<std::uint32_t>(value);
}

std::int32_t ReadInteger(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), kLimit);
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(std::min<std::int64_t>(value, kLimit - 1));
}

double ReadDecimal(std::string_view text) { return ParseLeadingDouble(std::string(text)); }

}  // namespace mirvo
