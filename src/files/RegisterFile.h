// The register file (.rgv) of the register debugger: its writer, its reader, and the register
// section reader that the spectrum file reader shares with it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "files/FileResult.h"
#include "files/SafeFileWriter.h"

namespace mirvo {

class LineReader;
class IUserDialog;

constexpr int kRegisterFileValues = 128;
using RegisterValues = std::array<std::uint16_t, kRegisterFileValues>;

// The register section after its "<registers>" line, up to "</registers>": the "<size>" line sets
// the number of values (limited to 0..128; `defaultCount` until then) and the line holding "<data>"
// starts them, stored truncated to 16 bits into values[0..]. A short data block stores its
// "</data>" line as a 0.
void ReadRegisterSection(LineReader& reader, int defaultCount, std::span<std::uint16_t, kRegisterFileValues> values);

// The register file lines for the 128 values, into a writer that is already open.
void WriteRegisterSection(SafeFileWriter& writer, std::span<const std::uint16_t, kRegisterFileValues> values);

// Writes the file (no questions). "Unable to Open File" when it cannot be created, "Error Writing
// to File" when a write fails; the previous file is kept in both cases.
FileResult SaveRegisterFile(const std::string& path, const RegisterValues& values, FileSystemOps& fs = RealFileSystem());

// Reads every register section of a register or spectrum file into `values`; registers a file
// does not give keep their values. "Unable to Open File" when it cannot be opened.
FileResult LoadRegisterFile(const std::string& path, RegisterValues& values);
// The same from an open stream (rewound first).
void LoadRegisterStream(std::FILE* stream, RegisterValues& values);

// SAVE FILE of the debugger after its file dialog: ".rgv" added to a name without extension, the
// overwrite question, then the save; a failure is shown with its message.
FileResult SaveRegisterFileAs(const std::string& chosenPath, const RegisterValues& values, IUserDialog& dialog,
                              FileSystemOps& fs = RealFileSystem());
// LOAD FILE after its file dialog; a file that cannot be opened is reported.
FileResult LoadRegisterFileChosen(const std::string& path, RegisterValues& values, IUserDialog& dialog);

}  // namespace mirvo
