// The register commands of the main window's Hardware menu: Copy Registers between the BUFFER and
// FILE records of S0, and the instrument's identity box (About Hardware).
#pragma once

#include <string>

#include "display/RecordSets.h"
#include "display/UserDialog.h"

namespace mirvo {

class CHardwareLink;

inline constexpr const char* kTransferAbortedText =
    "The transfer was aborted!\nPlease, connect the hardware\nand execute the transfer again.";
inline constexpr const char* kTransferAbortedCaption = "Info";
inline constexpr const char* kFileToBufferQuestion =
    "This operation cannot be undone.\n All current hardware settings will be lost.\n DO YOU WANT TO CONTINUE?";
inline constexpr const char* kFileToBufferCaption = "Warning";
inline constexpr const char* kAboutHardwareCaption = "Kvetral";
constexpr unsigned kCopiedRegisters = 0x80;  // registers 0x00 .. 0x7F

// Buffer to File: registers 0x00..0x7F of the S0 BUFFER image into the S0 FILE image; the FILE
// plot's pane caption is rebuilt.
void CopyRegistersBufferToFile(RecordSets& sets);

enum class FileToBufferOutcome { kRefused, kCancelled, kSent, kKeptForSeries };
// File to Buffer: refused with the "Info" box while the instrument does not respond; otherwise,
// after OK to the "Warning" question, the FILE registers 0x00..0x7F go into the live image and the
// full block is written (kept in the image while a logged series runs).
FileToBufferOutcome CopyRegistersFileToBuffer(RecordSets& sets, CHardwareLink& link, bool seriesRunning,
                                              IUserDialog& dialogs);

// The About Hardware text of a record: serial number, firmware version / 100, FPGA version
// (register 0x3F) / 10 and the primary time constant 2^(register 0x3E bits 3:0) samples in us.
std::string AboutHardwareText(const SpectrumRecord& record, double samplePeriodUs);

}  // namespace mirvo
