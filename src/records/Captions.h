// Spectrum captions and pane titles: the default captions, the 36-character limit of the captions
// dialog, and the pane title "S%d: caption" with its port or file suffix.
#pragma once

#include <array>
#include <string>

namespace mirvo {

constexpr std::size_t kMaxCaptionLength = 36;
extern const std::array<const char*, 4> kDefaultCaptions;  // "TIPS", "GAMMA+NEUTRONS", "GAMMA", "NEUTRONS"

// The first 36 bytes of a caption; a cut never splits a UTF-8 character.
std::string CutCaption(const std::string& caption);

// The part of a port name a BUFFER pane title shows: from its first "COM" to its end, or the whole
// name when it holds no "COM".
std::string PortNameForTitle(const std::string& portName);

// "S%d: " + caption, then " @ FILE: " + file label for a FILE record, or " @ " + port name for a
// BUFFER record while the instrument is connected.
std::string BuildPaneTitle(int spectrumIndex, const std::string& caption, bool isBuffer, const std::string& fileLabel,
                           bool connected, const std::string& portName);

}  // namespace mirvo
