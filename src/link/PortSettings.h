// The port dialog's lists and presets, and what its OK makes of the choices. Only the port and the
// baud rate are used: the link always runs 8 data bits, no parity, one stop bit and RTS/CTS, so the
// dialog keeps the other four lists hidden at their presets.
#pragma once

#include <array>
#include <span>
#include <string>

namespace mirvo {

inline constexpr std::array<const char*, 7> kBaudRateTexts = {"460800", "230400", "115200", "57600",
                                                              "19200",  "9600",   "2400"};
inline constexpr std::array<unsigned, 7> kBaudRates = {460800, 230400, 115200, 57600, 19200, 9600, 2400};
inline constexpr std::array<const char*, 5> kDataBitsTexts = {"8", "7", "6", "5", "4"};
inline constexpr std::array<const char*, 5> kParityTexts = {"None", "Even", "Odd", "Mark", "Space"};
inline constexpr std::array<const char*, 3> kStopBitsTexts = {"1", "1.5", "2"};
inline constexpr std::array<const char*, 3> kHandshakeTexts = {"OFF", "CTS/RTS", "DSR/DTR"};

// One drop-down list of the dialog: its items and the item it starts on.
struct PortSettingList {
  std::span<const char* const> items;
  int preset = 0;
};

inline constexpr PortSettingList kBaudRateList{kBaudRateTexts, 0};
inline constexpr PortSettingList kDataBitsList{kDataBitsTexts, 0};
inline constexpr PortSettingList kParityList{kParityTexts, 0};
inline constexpr PortSettingList kStopBitsList{kStopBitsTexts, 0};
inline constexpr PortSettingList kHandshakeList{kHandshakeTexts, 1};

// The baud rate the dialog gives unless the user changes it.
inline constexpr unsigned kPortDialogBaudRate = kBaudRates[kBaudRateList.preset];

// The rate of baud list item `index`; the preset's rate for an index outside the list (an empty
// selection), so the link is never set to a rate the list does not hold.
unsigned BaudRateAt(int index);
// The list item of a rate, -1 when the list does not hold it.
int BaudRateIndex(unsigned baudRate);

// The device that opens the chosen port entry: the device path the port list gave for it, or,
// without one, the device of the port name in its display text.
std::string PortDialogDeviceName(const std::string& displayText, const std::string& devicePath);

}  // namespace mirvo
