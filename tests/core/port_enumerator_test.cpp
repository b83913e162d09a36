#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "link/PortEnumerator.h"

namespace mirvo {
namespace {
namespace fs = std::filesystem;

// A small sysfs and /dev tree: a USB adapter with a product string, a CDC-ACM device known only
// through /dev/serial/by-id, a virtual console without a driver, and two simulator links (one stale).
class PortEnumeratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("mirvo-ports-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path sys = root / "sys";
    const fs::path usbDevice = sys / "devices/usb1/1-1";
    fs::create_directories(usbDevice / "1-1:1.0/ttyUSB0");
    fs::create_directories(sys / "devices/usb1/1-2/1-2:1.0/ttyACM0");
    fs::create_directories(sys / "drivers/ftdi_sio");
    fs::create_directories(sys / "drivers/cdc_acm");
    Write(usbDevice / "idVendor", "0403\n");
    Write(usbDevice / "product", "FT232R USB UART (rev B)\n");  // the suffix gives way to the port name
    Write(sys / "devices/usb1/1-2/idVendor", "1234\n");
    fs::create_directory_symlink(sys / "drivers/ftdi_sio", usbDevice / "1-1:1.0/ttyUSB0/driver");
    fs::create_directory_symlink(sys / "drivers/cdc_acm", sys / "devices/usb1/1-2/1-2:1.0/ttyACM0/driver");

    const fs::path classTty = sys / "class/tty";
    fs::create_directories(classTty / "ttyUSB0");
    fs::create_directory_symlink(usbDevice / "1-1:1.0/ttyUSB0", classTty / "ttyUSB0/device");
    fs::create_directories(classTty / "ttyACM0");
    fs::create_directory_symlink(sys / "devices/usb1/1-2/1-2:1.0/ttyACM0", classTty / "ttyACM0/device");
    fs::create_directories(classTty / "tty1");  // no device/driver: not a serial port

    fs::create_directories(root / "dev/serial/by-id");
    Write(root / "dev/ttyUSB0", "");
    Write(root / "dev/ttyACM0", "");
    fs::create_symlink(root / "dev/ttyACM0", root / "dev/serial/by-id/usb-Kvetral_Spectrometer_00042-if00");

    fs::create_directories(root / "ports");
    Write(root / "pts3", "");
    fs::create_symlink(root / "pts3", root / "ports/ttyKV00007");
    fs::create_symlink(root / "gone", root / "ports/ttyKV00009");
    Write(root / "ports/.ttyKV00007.lock", "");  // a running simulator's lock: not a port

    roots.sysClassTty = (classTty).string();
    roots.dev = (root / "dev").string();
    roots.serialById = (root / "dev/serial/by-id").string();
    roots.virtualPorts = (root / "ports").string();
  }
  void TearDown() override { fs::remove_all(root); }
  static void Write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

  fs::path root;
  PortEnumerationRoots roots;
};

TEST_F(PortEnumeratorTest, ListsDriverBackedTtysThenSimulators) {
  const auto ports = EnumeratePorts(roots);
  ASSERT_EQ(ports.size(), 3u);

  EXPECT_EQ(ports[0].portName, "ttyACM0");
  EXPECT_EQ(ports[0].friendlyName, "Kvetral Spectrometer 00042 (ttyACM0)");
  EXPECT_EQ(ports[0].devicePath, (root / "dev/ttyACM0").string());
  EXPECT_TRUE(ports[0].usb);

  EXPECT_EQ(ports[1].friendlyName, "FT232R USB UART (ttyUSB0)");
  EXPECT_EQ(ports[1].description, "FT232R USB UART");
  EXPECT_TRUE(ports[1].usb);

  EXPECT_EQ(ports[2].friendlyName, "Kvetral simulator (ttyKV00007)");
  EXPECT_EQ(ports[2].devicePath, (root / "ports/ttyKV00007").string());
  EXPECT_FALSE(ports[2].usb);
}

// The package's udev rule links the instrument's tty as /dev/kvetral-spectrometer-<serial>: the list
// shows and opens the port under that name. Other links, and links whose tty is gone, change nothing.
TEST_F(PortEnumeratorTest, AnInstrumentLinkNamesItsPort) {
  fs::create_symlink("ttyACM0", root / "dev/kvetral-spectrometer-00042");
  fs::create_symlink("ttyUSB0", root / "dev/modem");
  fs::create_symlink("ttyUSB7", root / "dev/kvetral-spectrometer-00099");  // unplugged: its tty is gone
  fs::create_directory(root / "dev/kvetral-spectrometer-dir");               // not a link
  const auto ports = EnumeratePorts(roots);
  ASSERT_EQ(ports.size(), 3u);

  EXPECT_EQ(ports[0].portName, "kvetral-spectrometer-00042");
  EXPECT_EQ(ports[0].friendlyName, "Kvetral Spectrometer 00042 (kvetral-spectrometer-00042)");
  EXPECT_EQ(ports[0].devicePath, (root / "dev/kvetral-spectrometer-00042").string());
  EXPECT_TRUE(ports[0].usb);
  EXPECT_EQ(ports[1].friendlyName, "FT232R USB UART (ttyUSB0)");
  EXPECT_EQ(ports[1].devicePath, (root / "dev/ttyUSB0").string());

  // The port dialog and the finder go from the display text back to the link.
  const std::string port = PortNameFromDisplayText(ports[0].friendlyName + " -> SN: 00042");
  EXPECT_EQ(DeviceNameForPort(port, roots), ports[0].devicePath);
}

TEST_F(PortEnumeratorTest, DeviceNameFromDisplayText) {
  struct Case {
    const char* display;
    const char* port;
  } cases[] = {
      {"FT232R USB UART (ttyUSB0)", "ttyUSB0"},
      {"Prolific USB-to-Serial Comm Port (ttyUSB12)", "ttyUSB12"},
      {"Adapter (rev 2) (ttyACM3) -> SN: 00042", "ttyACM3"},  // a found entry: the last "(" counts
      {"no parentheses", ""},
      {"open only (ttyS0", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PortNameFromDisplayText(c.display), c.port) << c.display;

  EXPECT_EQ(DeviceNameForPort("ttyUSB12", roots), (root / "dev/ttyUSB12").string());
  EXPECT_EQ(DeviceNameForPort("ttyKV00007", roots), (root / "ports/ttyKV00007").string());
  EXPECT_EQ(PortNameFromDevice("/dev/serial/by-id/usb-X-if00"), "usb-X-if00");
}

TEST(PortEnumerator, VirtualPortFolderFollowsTheRuntimeDirectory) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string restore = saved ? saved : "";
  ::setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
  EXPECT_EQ(VirtualPortFolder(), "/run/user/1000/mirvo-psd/ports");
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(VirtualPortFolder(), "/tmp/mirvo-psd-" + std::to_string(::getuid()) + "/ports");
  if (saved) ::setenv("XDG_RUNTIME_DIR", restore.c_str(), 1);
}

}  // namespace
}  // namespace mirvo
