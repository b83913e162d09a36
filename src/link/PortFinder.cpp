#include "link/PortFinder.h"

#include <cstdio>

namespace mirvo {

std::string SerialNumberSuffix(std::uint16_t serial) {
  char text[24];
  std::snprintf(text, sizeof text, " -> SN: %05u", static_cast<unsigned>(serial));
  return text;
}

PortFinder::PortFinder(LinkLifecycle& lifecycle, ILinkHost& linkHost, IPortFinderHost& host,
                         IMessageTarget& events, ISleeper& sleeper)
    : lifecycle_(lifecycle), linkHost_(linkHost), host_(host), events_(events), sleeper_(sleeper) {}

void PortFinder::OnSerialEvent(std::uintptr_t wParam) { LogSerialEvent(linkHost_, wParam, &lifecycle_.Link()); }

void PortFinder::Find() {
  linkHost_.AddLine(host_.StartTickTimer(kFinderTickMs) ? "Find Timer Started" : "Error Timer");
  progress_ = 0;
  searching_ = true;
  accepted_ = false;
  status_ = kFinderSearchingText;
  Changed();

  found_.clear();
  selected_ = -1;
  foundCounter_ = -1;
  linkHost_.SetAutoUpdate(false);
  linkHost_.SetTraceViewerRunning(false);
  ClosePort();
  lifecycle_.SetBaudRate(LinkLifecycle::kDefaultBaudRate);
  const std::vector<PortListEntry> ports = host_.Ports();
  progressRange_ = static_cast<int>(ports.size());
  Changed();

  for (const PortListEntry& entry : ports) Probe(entry);

  host_.StopTickTimer();
  linkHost_.AddLine("Find Timer Stopped");
  progress_ = 0;
  searching_ = false;
  if (foundCounter_ < 0) {
    status_ = kFinderNoneText;
  } else if (foundCounter_ > 0) {
    selected_ = 0;
    status_ = kFinderMultipleText;
  } else {
    Accept();  // exactly one: as if OK had been pressed
  }
  Changed();
}

void PortFinder::Probe(const PortListEntry& entry) {
  ++progress_;
  Changed();
  linkHost_.AddLine("Searching...");
  std::string name = PortNameFromDisplayText(entry.friendlyName);
  if (name.empty()) name = entry.portName;
  lifecycle_.SetDeviceName(entry.devicePath);
  CHardwareLink& link = lifecycle_.Link();
  CSerialMFC& port = link.Port();

  if (port.Open(entry.devicePath, events_, 0, 0, kFinderQueueBytes, kFinderQueueBytes) != serial_error::kSuccess) {
    linkHost_.AddLine("Unable to open: " + name);
    link.SetConnected(false);
    port.Close();
    return;
  }
  link.SetConnected(true);
  lifecycle_.SetPortInUse(true);
  linkHost_.AddLine("Trying: " + name);
  port.Setup(LinkLifecycle::kDefaultBaudRate, DataBits::k8, Parity::kNone, StopBits::kOne);
  port.SetEventMask(serial_event::kRxChar | serial_event::kLineError);
  port.SetReadMode(kReadNonblocking);
  port.SetHandshake(kHandshakeRtsCts);
  port.Purge();
  link.DrainInput();
  link.SetBusy(false);
  link.SetReadError(true);
  sleeper_.SleepMilliseconds(kFinderSettleMs);
  host_.ProcessPendingMessages();

  linkHost_.ClearReadyMarkers();
  link.SetImageUpdate(false);
  link.RequestRegisterRead(kStatusRegistersBlock.firstRegister, kStatusRegistersBlock.wordCount);

  ticks_ = 0;
  host_.PumpUntil([this] { return ticks_ >= kFinderTicksPerProbe; });

  if (!link.ReadError()) {
    const std::string suffix = SerialNumberSuffix(host_.SerialNumber());
    linkHost_.AddLine("Found: " + name + suffix);
    ++foundCounter_;
    found_.push_back({entry.friendlyName + suffix, entry.devicePath});
    selected_ = static_cast<int>(found_.size()) - 1;
  }
  ClosePort();
}

// The finder leaves the link closed and idle: a silent port's unanswered request must not be
// supervised (and closed again) by the main window's timer after the search.
void PortFinder::ClosePort() {
  CHardwareLink& link = lifecycle_.Link();
  link.SetConnected(false);
  link.SetResponding(false);
  link.SetBusy(false);
  link.ClearPendingRequests();
  lifecycle_.SetPortInUse(false);
  if (link.Port().IsOpen()) link.Port().Close();
}

void PortFinder::Select(int index) {
  if (index >= 0 && index < static_cast<int>(found_.size())) selected_ = index;
}

bool PortFinder::Accept() {
  if (selected_ < 0 || selected_ >= static_cast<int>(found_.size())) return false;
  chosenDevice_ = found_[static_cast<std::size_t>(selected_)].device;
  accepted_ = true;
  return true;
}

void PrepareAutoConnect(LinkLifecycle& lifecycle, ILinkHost& host) {
  host.SetRefreshEnable(0);
  lifecycle.SetIgnorePortEvents(false);
}

bool ConnectChosenPort(LinkLifecycle& lifecycle, ILinkHost& host, const std::string& device) {
  lifecycle.SetDeviceName(device);
  host.AddLine(device);
  lifecycle.SetBaudRate(LinkLifecycle::kDefaultBaudRate);
  return lifecycle.ConnectHardware();
}

}  // namespace mirvo
