#include "link/PortEnumerator.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace mirvo {
namespace fs = std::filesystem;
namespace {

std::string ReadTrimmed(const fs::path& path) {
  std::ifstream in(path);
  std::string text;
  if (!in || !std::getline(in, text)) return {};
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

// The USB device directory above a tty's device link (the one holding idVendor), if any.
fs::path UsbDeviceDir(const fs::path& ttyDir) {
  std::error_code ec;
  fs::path dir = fs::canonical(ttyDir / "device", ec);
  if (ec) return {};
  for (int depth = 0; depth < 6 && !dir.empty() && dir != dir.root_path(); ++depth, dir = dir.parent_path()) {
    if (fs::exists(dir / "idVendor", ec)) return dir;
  }
  return {};
}

// Description taken from a /dev/serial/by-id name: "usb-Maker_Product_SERIAL-if00-port0" -> "Maker Product SERIAL".
std::string DescriptionFromById(std::string name) {
  if (name.rfind("usb-", 0) == 0) name.erase(0, 4);
  if (const auto cut = name.rfind("-if"); cut != std::string::npos) name.erase(cut);
  std::replace(name.begin(), name.end(), '_', ' ');
  return name;
}

std::map<std::string, std::string> ByIdNames(const std::string& folder) {
  std::map<std::string, std::string> names;  // port name -> by-id link name
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    std::error_code ec2;
    const fs::path target = fs::canonical(entry.path(), ec2);
    if (!ec2) names[target.filename().string()] = entry.path().filename().string();
  }
  return names;
}

// The instrument links in the /dev folder: tty name -> link name (the first by name when several).
std::map<std::string, std::string> InstrumentLinks(const std::string& devFolder) {
  std::map<std::string, std::string> links;
  const std::string prefix = kInstrumentLinkPrefix;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(devFolder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name != prefix && name.rfind(prefix + "-", 0) != 0) continue;
    std::error_code ec2;
    if (!entry.is_symlink(ec2)) continue;
    const fs::path target = fs::canonical(entry.path(), ec2);
    if (ec2) continue;  // a link left over from an unplugged instrument
    auto [it, added] = links.emplace(target.filename().string(), name);
    if (!added && name < it->second) it->second = name;
  }
  return links;
}

// A legacy 8250 UART slot exists in sysfs whether or not a chip sits behind it; only a probe tells.
bool Legacy8250Present(const std::string& devicePath) {
  const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  serial_struct info{};
  const bool present = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return present;
}

// "FT232R USB UART (rev B)" -> "FT232R USB UART": the port name goes in parentheses after it.
std::string WithoutParenthesisedSuffix(const std::string& description) {
  if (description.size() < 2 || description.back() != ')') return description;
  const std::size_t open = description.rfind('(');
  if (open == std::string::npos || open == 0) return description;
  std::size_t end = open;
  while (end > 0 && description[end - 1] == ' ') --end;
  return end == 0 ? description : description.substr(0, end);
}

}  // namespace

std::string VirtualPortFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0')
    return std::string(runtime) + "/mirvo-psd/ports";
  return "/tmp/mirvo-psd-" + std::to_string(::getuid()) + "/ports";
}

std::vector<PortListEntry> EnumeratePorts(const PortEnumerationRoots& roots) {
  std::vector<PortListEntry> hardware;
  const auto byId = ByIdNames(roots.serialById);
  const auto instrumentLinks = InstrumentLinks(roots.dev);
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(roots.sysClassTty, ec)) {
    const fs::path ttyDir = entry.path();
    std::error_code ec2;
    // Only ttys with a real driver behind them (not the virtual consoles and pseudo-terminals).
    const fs::path driver = fs::read_symlink(ttyDir / "device" / "driver", ec2);
    if (ec2) continue;
    PortListEntry port;
    port.portName = ttyDir.filename().string();
    port.devicePath = (fs::path(roots.dev) / port.portName).string();
    const std::string driverName = driver.filename().string();
    if (driverName == "serial8250" && !Legacy8250Present(port.devicePath)) continue;

    const fs::path usbDir = UsbDeviceDir(ttyDir);
    port.usb = !usbDir.empty();
    if (port.usb) {
      const std::string manufacturer = ReadTrimmed(usbDir / "manufacturer");
      const std::string product = ReadTrimmed(usbDir / "product");
      port.description = product.empty() ? manufacturer : product;
    }
    if (port.description.empty()) {
      if (auto it = byId.find(port.portName); it != byId.end()) port.description = DescriptionFromById(it->second);
    }
    if (port.description.empty()) port.description = port.usb ? "USB Serial Device" : "Serial Port";
    if (auto it = instrumentLinks.find(port.portName); it != instrumentLinks.end()) {
      port.portName = it->second;
      port.devicePath = (fs::path(roots.dev) / port.portName).string();
    }
    port.description = WithoutParenthesisedSuffix(port.description);
    port.friendlyName = port.description + " (" + port.portName + ")";
    hardware.push_back(std::move(port));
  }
  std::sort(hardware.begin(), hardware.end(),
            [](const PortListEntry& a, const PortListEntry& b) { return a.portName < b.portName; });

  std::vector<PortListEntry> simulated;
  const std::string virtualFolder = roots.virtualPorts.empty() ? VirtualPortFolder() : roots.virtualPorts;
  for (const auto& entry : fs::directory_iterator(virtualFolder, ec)) {
    std::error_code ec2;
    if (entry.path().filename().string().rfind('.', 0) == 0) continue;  // the simulators' lock files
    // A link left behind by a simulator that did not end cleanly points nowhere: skip it.
    if (!fs::exists(entry.path(), ec2)) continue;
    PortListEntry port;
    port.portName = entry.path().filename().string();
    port.devicePath = entry.path().string();
    port.description = "Kvetral simulator";
    port.friendlyName = port.description + " (" + port.portName + ")";
    simulated.push_back(std::move(port));
  }
  std::sort(simulated.begin(), simulated.end(),
            [](const PortListEntry& a, const PortListEntry& b) { return a.portName < b.portName; });
  hardware.insert(hardware.end(), simulated.begin(), simulated.end());
  return hardware;
}

std::string PortNameFromDisplayText(const std::string& displayText) {
  const auto open = displayText.rfind('(');
  if (open == std::string::npos) return {};
  const auto close = displayText.find(')', open + 1);
  if (close == std::string::npos) return {};
  return displayText.substr(open + 1, close - open - 1);
}

std::string DeviceNameForPort(const std::string& portName, const PortEnumerationRoots& roots) {
  if (portName.empty()) return {};
  const std::string virtualFolder = roots.virtualPorts.empty() ? VirtualPortFolder() : roots.virtualPorts;
  std::error_code ec;
  const fs::path simulated = fs::path(virtualFolder) / portName;
  if (fs::exists(simulated, ec)) return simulated.string();
  return (fs::path(roots.dev) / portName).string();
}

std::string PortNameFromDevice(const std::string& device) { return fs::path(device).filename().string(); }

}  // namespace mirvo
