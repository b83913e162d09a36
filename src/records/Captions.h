// Spectrum captions and pane titles: the default captions, the 36-character limit of the captions
// dialog, and the pane title "S%d: caption" with its port or file suffix.
#pragma once

#include <array>
#include <string>

namespace mirvo {

constexpr std::size_t kMaxCaptionLength = 36;
extern const std::array<const char*, 4> kDefaultCaptions;  // "TIPS", "GAMMA+NEUTRONS", "GAMMA", "NEUTRONS"

// The first 36 characters of a caption (UTF-8: characters, not bytes; a character is never split).
std::string CutCaption(const std::string& caption);
// The number of characters of a UTF-8 caption.
std::size_t CaptionCharacters(const std::string& caption);
// A caption read from the settings is taken when it fits the 40-character buffer with its end.
constexpr std::size_t kStoredCaptionLimit = 40;

// The part of a port name a BUFFER pane title shows: from its first "COM" to its end, or the whole
// name when it holds no "COM".
std::string PortNameForTitle(const std::string& portName);

// "S%d: " + caption, then " @ FILE: " + file label for a FILE record, or " @ " + port name for a
// BUFFER record while the instrument is connected.
std::string BuildPaneTitle(int spectrumIndex, const std::string& caption, bool isBuffer, const std::string& fileLabel,
                           bool connected, const std::string& portName);

}  // namespace mirvo
