#include "files/SpectrumImport.h"

#include <algorithm>
#include <cctype>

#include "files/N42Reader.h"
#include "files/SafeFileWriter.h"
#include "files/SpeReader.h"
#include "files/SpectrumFile.h"
#include "files/TextLines.h"

namespace mirvo {

namespace {

// Interchange files larger than this are not spectra of up to 4096 channels.
constexpr std::size_t kMaxExchangeFileSize = 64u << 20;

std::string LowerExtension(const std::string& path) {
  const std::string name = FileNameOf(path);
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return "";
  std::string extension = name.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

bool ReadAll(std::FILE* file, std::string& content) {
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    content.append(buffer, got);
    if (content.size() > kMaxExchangeFileSize) return false;
  }
  return std::ferror(file) == 0;
}

}  // namespace

SpectrumFormat DetectSpectrumFormat(std::string_view head, const std::string& path) {
  std::string_view text = head;
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) text.remove_prefix(1);
  if (!text.empty() && text.front() == '$') return SpectrumFormat::Spe;
  if (!text.empty() && text.front() == '<' && text.substr(0, 4096).find("RadInstrumentData") != std::string_view::npos)
    return SpectrumFormat::N42;
  const std::string extension = LowerExtension(path);
  if (extension == "n42") return SpectrumFormat::N42;
  if (extension == "spe") return SpectrumFormat::Spe;
  return SpectrumFormat::Mps;
}

FileResult LoadExchangeText(RecordSets& sets, SpectrumFormat format, std::string_view content,
                            const std::string& fileName, std::vector<std::string>& notes) {
  ExchangeSet set;
  const bool parsed = format == SpectrumFormat::N42 ? ParseN42(content, set) : ParseSpe(content, set);
  if (!parsed) return {kFileCannotOpen, kUnableToOpenFile, fileName};
  return ApplyExchangeSet(sets, set, fileName, notes);
}

FileResult LoadAnySpectrumFile(RecordSets& sets, const std::string& path, std::vector<std::string>& notes,
                               std::vector<std::string>* damage) {
  const FilePtr file = OpenRegularFile(path);
  if (!file) return {kFileCannotOpen, kUnableToOpenFile, path};
  char head[4096];
  const std::size_t got = std::fread(head, 1, sizeof head, file.get());
  if (std::ferror(file.get()) != 0) return {kFileCannotOpen, kUnableToOpenFile, path};
  const SpectrumFormat format = DetectSpectrumFormat(std::string_view(head, got), path);
  FileResult result;
  if (format == SpectrumFormat::Mps) {
    result = LoadSpectrumStream(sets, file.get(), FileNameOf(path), damage);
  } else {
    std::string content(head, got);
    if (!ReadAll(file.get(), content)) return {kFileCannotOpen, kUnableToOpenFile, path};
    result = LoadExchangeText(sets, format, content, FileNameOf(path), notes);
  }
  result.path = path;
  return result;
}

}  // namespace mirvo
