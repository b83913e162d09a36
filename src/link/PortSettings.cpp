#include "link/PortSettings.h"

#include "link/PortEnumerator.h"

namespace mirvo {

unsigned BaudRateAt(int index) {
  if (index < 0 || index >= static_cast<int>(kBaudRates.size())) return kPortDialogBaudRate;
  return kBaudRates[static_cast<std::size_t>(index)];
}

int BaudRateIndex(unsigned baudRate) {
  for (std::size_t i = 0; i < kBaudRates.size(); ++i)
    if (kBaudRates[i] == baudRate) return static_cast<int>(i);
  return -1;
}

std::string PortDialogDeviceName(const std::string& displayText, const std::string& devicePath) {
  if (!devicePath.empty()) return devicePath;
  return DeviceNameForPort(PortNameFromDisplayText(displayText));
}

}  // namespace mirvo
