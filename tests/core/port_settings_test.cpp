// The port dialog's lists and presets, the baud rate of each list item, and the device its OK
// chooses for a port entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/PortSettings.h"

namespace mirvo {
namespace {

std::vector<std::string> Texts(const PortSettingList& list) { return {list.items.begin(), list.items.end()}; }

TEST(PortSettings, ListsAndPresetsAsTheDialogShowsThem) {
  struct Case {
    const char* what;
    const PortSettingList& list;
    std::vector<std::string> items;
    std::string preset;
  };
  const Case cases[] = {
      {"baud rate", kBaudRateList, {"460800", "230400", "115200", "57600", "19200", "9600", "2400"}, "460800"},
      {"data bits", kDataBitsList, {"8", "7", "6", "5", "4"}, "8"},
      {"parity", kParityList, {"None", "Even", "Odd", "Mark", "Space"}, "None"},
      {"stop bits", kStopBitsList, {"1", "1.5", "2"}, "1"},
      {"handshake", kHandshakeList, {"OFF", "CTS/RTS", "DSR/DTR"}, "CTS/RTS"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Texts(c.list), c.items);
    ASSERT_GE(c.list.preset, 0);
    ASSERT_LT(static_cast<std::size_t>(c.list.preset), c.list.items.size());
    EXPECT_EQ(c.list.items[static_cast<std::size_t>(c.list.preset)], c.preset);
  }
  EXPECT_EQ(kPortDialogBaudRate, 460800u);
}

TEST(PortSettings, EachBaudItemGivesTheRateItShows) {
  ASSERT_EQ(kBaudRates.size(), kBaudRateTexts.size());
  for (int i = 0; i < static_cast<int>(kBaudRates.size()); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(std::to_string(BaudRateAt(i)), kBaudRateTexts[static_cast<std::size_t>(i)]);
    EXPECT_EQ(BaudRateIndex(BaudRateAt(i)), i);
  }
  // No selection, or an index past the list: the preset's rate, never 0.
  for (int outside : {-1, 7, 1000}) EXPECT_EQ(BaudRateAt(outside), 460800u) << outside;
  // Rates the list does not hold, among them the rate AutoConnect uses.
  for (unsigned unlisted : {0u, 921600u, 38400u}) EXPECT_EQ(BaudRateIndex(unlisted), -1) << unlisted;
}

TEST(PortSettings, DeviceOfTheChosenEntry) {
  struct Case {
    std::string display;
    std::string devicePath;
    std::string device;
  };
  const Case cases[] = {
      {"FT232R USB UART (ttyUSB0)", "/dev/serial/by-id/usb-FTDI-if00-port0", "/dev/serial/by-id/usb-FTDI-if00-port0"},
      {"FT232R USB UART (ttyUSB7)", "", "/dev/ttyUSB7"},
      {"Silicon Labs CP210x (rev 2) (ttyUSB9)", "", "/dev/ttyUSB9"},  // the last parenthesis names the port
  };
  for (const Case& c : cases) EXPECT_EQ(PortDialogDeviceName(c.display, c.devicePath), c.device) << c.display;
}

}  // namespace
}  // namespace mirvo
