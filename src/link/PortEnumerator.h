// The serial ports present on this machine: ttys with a real driver under /sys/class/tty (with
// their USB descriptions), and the simulator links in the virtual-port folder.
#pragma once

#include <string>
#include <vector>

namespace mirvo {

struct PortListEntry {
  std::string devicePath;    // what opens the port: /dev/ttyUSB0 or the virtual port's link
  std::string portName;      // last path component: ttyUSB0
  std::string friendlyName;  // display text: "<description> (<port name>)"
  std::string description;   // driver or USB product description
  bool usb = false;          // the port's enumerator is USB
};

// Where enumeration looks; tests point it at a fixture tree.
struct PortEnumerationRoots {
  std::string sysClassTty = "/sys/class/tty";
  std::string dev = "/dev";
  std::string serialById = "/dev/serial/by-id";
  std::string virtualPorts;  // empty: VirtualPortFolder()
};

// The udev rule of the package links an instrument's port as /dev/kvetral-spectrometer-<serial>
// (or /dev/kvetral-spectrometer without one). Such a port is listed under the link's name, and
// opened through the link.
inline constexpr const char* kInstrumentLinkPrefix = "kvetral-spectrometer";

// $XDG_RUNTIME_DIR/mirvo-psd/ports, or /tmp/mirvo-psd-<uid>/ports without XDG_RUNTIME_DIR.
std::string VirtualPortFolder();

// Ports in a stable order: hardware ports sorted by name, then virtual ports sorted by name. A hardware
// port with an instrument link in roots.dev takes the link's name as its port name and device path.
std::vector<PortListEntry> EnumeratePorts(const PortEnumerationRoots& roots = {});

// The port name of a display text: the text between its last "(" and the ")" after it ("" when none).
std::string PortNameFromDisplayText(const std::string& displayText);
// The device that opens a port name: the virtual port of that name if there is one, else /dev/<name>.
std::string DeviceNameForPort(const std::string& portName, const PortEnumerationRoots& roots = {});
// The last path component of a device name (the port name).
std::string PortNameFromDevice(const std::string& device);

}  // namespace mirvo
