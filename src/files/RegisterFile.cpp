#include "files/RegisterFile.h"

#include <algorithm>

#include "display/UserDialog.h"
#include "files/TextLines.h"

namespace mirvo {

void ReadRegisterSection(LineReader& reader, int defaultCount, std::span<std::uint16_t, kRegisterFileValues> values) {
  int count = std::clamp(defaultCount, 0, kRegisterFileValues);
  FileLine line;
  while (line.Read(reader)) {
    if (line.Is("</registers>")) return;
    if (line.name == "size" && line.HasClosing()) {
      count = std::clamp(ReadInteger(line.Value()), 0, kRegisterFileValues);
    } else if (line.Contains("<data>")) {
      for (int i = 0; i <= count && !line.Is("</data>"); ++i) {
        if (!line.Read(reader)) return;
        if (i < count) values[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(ReadInteger(line.work));
      }
    }
  }
}

void WriteRegisterSection(SafeFileWriter& writer, std::span<const std::uint16_t, kRegisterFileValues> values) {
  writer.Write("<registers>\n");
  writer.Printf("  <size>%d</size>\n", kRegisterFileValues);
  writer.Write("  <data>\n");
  for (std::uint16_t value : values) writer.Printf("%u\n", static_cast<unsigned>(value));
  writer.Write("  </data>\n");
  writer.Write("</registers>\n");
}

FileResult SaveRegisterFile(const std::string& path, const RegisterValues& values, FileSystemOps& fs) {
  SafeFileWriter writer(fs);
  if (writer.Open(path) != kFileOk) return {kFileCannotCreate, kUnableToOpenFile, path, writer.FailureReason()};
  WriteRegisterSection(writer, values);
  if (writer.Commit() != kFileOk) return {kFileWriteFailed, kErrorWritingToFile, path, writer.FailureReason()};
  return {kFileOk, "", path};
}

void LoadRegisterStream(std::FILE* stream, RegisterValues& values) {
  std::rewind(stream);
  const int lines = CountLines(stream);
  if (lines < 0) return;
  LineReader reader(stream, lines);
  FileLine line;
  while (line.Read(reader))
    if (line.name == "registers") ReadRegisterSection(reader, kRegisterFileValues, values);
}

FileResult LoadRegisterFile(const std::string& path, RegisterValues& values) {
  const FilePtr file = OpenRegularFile(path);
  if (!file) return {kFileCannotOpen, kUnableToOpenFile, path};
  // Parsed into a copy, so that a file that fails to read half-way changes nothing.
  RegisterValues read = values;
  LoadRegisterStream(file.get(), read);
  if (std::ferror(file.get()) != 0) return {kFileCannotOpen, kUnableToOpenFile, path};
  values = read;
  return {kFileOk, "", path};
}

FileResult SaveRegisterFileAs(const std::string& chosenPath, const RegisterValues& values, IUserDialog& dialog,
                              FileSystemOps& fs) {
  const std::string path = WithDefaultExtension(chosenPath, "rgv");
  if (FileExistsForOverwrite(path) && !dialog.AskOkCancel(kOverwriteQuestion, kWarningCaption, MessageIcon::Stop))
    return {kFileCancelled, "", path};
  FileResult result = SaveRegisterFile(path, values, fs);
  if (!result.Ok()) dialog.ShowMessage(result.message, kErrorCaption, MessageIcon::Stop);
  return result;
}

FileResult LoadRegisterFileChosen(const std::string& path, RegisterValues& values, IUserDialog& dialog) {
  FileResult result = LoadRegisterFile(path, values);
  if (!result.Ok()) dialog.ShowMessage(result.message, kErrorCaption, MessageIcon::Stop);
  return result;
}

}  // namespace mirvo
