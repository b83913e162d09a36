#include "records/Captions.h"

#include "base/TextFormat.h"

namespace mirvo {

const std::array<const char*, 4> kDefaultCaptions = {"TIPS", "GAMMA+NEUTRONS", "GAMMA", "NEUTRONS"};

namespace {
bool StartsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }
}  // namespace

std::size_t CaptionCharacters(const std::string& caption) {
  std::size_t count = 0;
  for (char byte : caption) count += StartsCharacter(byte) ? 1 : 0;
  return count;
}

std::string CutCaption(const std::string& caption) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (!StartsCharacter(caption[i])) continue;
    if (characters == kMaxCaptionLength) return caption.substr(0, i);
    ++characters;
  }
  return caption;
}

std::string PortNameForTitle(const std::string& portName) {
  const std::size_t com = portName.find("COM");
  return com == std::string::npos ? portName : portName.substr(com);
}

std::string BuildPaneTitle(int spectrumIndex, const std::string& caption, bool isBuffer, const std::string& fileLabel,
                           bool connected, const std::string& portName) {
  std::string title = FormatText("S%d: ", spectrumIndex) + caption;
  if (!isBuffer)
    title += " @ FILE: " + fileLabel;
  else if (connected)
    title += " @ " + PortNameForTitle(portName);
  return title;
}

}  // namespace mirvo
