#include "records/Captions.h"

#include "base/TextFormat.h"

namespace mirvo {

const std::array<const char*, 4> kDefaultCaptions = {"TIPS", "GAMMA+NEUTRONS", "GAMMA", "NEUTRONS"};

std::string CutCaption(const std::string& caption) {
  if (caption.size() <= kMaxCaptionLength) return caption;
  std::size_t length = kMaxCaptionLength;
  // Back off over continuation bytes so that the character the cut falls into is dropped whole.
  while (length > 0 && (static_cast<unsigned char>(caption[length]) & 0xC0) == 0x80) --length;
  return caption.substr(0, length);
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
