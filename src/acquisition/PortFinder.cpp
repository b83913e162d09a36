#include "acquisition/PortFinder.h"

#include <cstdio>

namespace mirvo {

std::string SerialNumberSuffix(std::uint16_t serial) {
  char text[24];
  std::snprintf(text, sizeof text, " -> SN: %05u", static_cast<unsigned>(serial));
  return text;
}

PortFinder::PortFinder(LinkLifecycle& lifecycle, IPortFinderHost& host, IMessageTarget& events, ISleeper& sleeper)
    : lifecycle_(lifecycle), reporter_(lifecycle.Reporter()), host_(host), events_(events), sleeper_(sleeper) {}

void PortFinder::OnSerialEvent(std::uintptr_t wParam) { LogSerialEvent(reporter_, wParam, &lifecycle_.Link()); }

void PortFinder::Find() {
  reporter_.AddLine(host_.StartTickTimer(kFinderTickMs) ? "Find Timer Started" : "Error Timer");
  progress_ = 0;
  searching_ = true;
  accepted_ = false;
  status_ = kFinderSearchingText;
  Changed();

  found_.clear();
  unopened_.clear();
  selected_ = -1;
  foundCounter_ = -1;
  lifecycle_.StopPolling();
  ClosePort();
  lifecycle_.SetBaudRate(LinkLifecycle::kDefaultBaudRate);
  const std::vector<PortListEntry> ports = host_.Ports();
  progressRange_ = static_cast<int>(ports.size());
  Changed();

  for (const PortListEntry& entry : ports) Probe(entry);

  host_.StopTickTimer();
  reporter_.AddLine("Find Timer Stopped");
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
  reporter_.AddLine("Searching...");
  std::string name = PortNameFromDisplayText(entry.friendlyName);
  if (name.empty()) name = entry.portName;
  lifecycle_.SetDeviceName(entry.devicePath);
  CHardwareLink& link = lifecycle_.Link();
  CSerialMFC& port = link.Port();

  if (port.Open(entry.devicePath, events_, 0, 0, kFinderQueueBytes, kFinderQueueBytes) != serial_error::kSuccess) {
    reporter_.AddLine("Unable to open: " + name);
    if (!port.OpenFailure().empty()) {
      reporter_.AddLine(port.OpenFailure());
      unopened_.push_back(port.OpenFailure());
    }
    link.SetConnected(false);
    port.Close();
    return;
  }
  link.SetConnected(true);
  lifecycle_.SetPortInUse(true);
  reporter_.AddLine("Trying: " + name);
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

  lifecycle_.NotifyPortOpened();
  link.SetImageUpdate(false);
  link.RequestRegisterRead(kStatusRegistersBlock.firstRegister, kStatusRegistersBlock.wordCount);

  ticks_ = 0;
  host_.PumpUntil([this] { return ticks_ >= kFinderTicksPerProbe; });

  if (!link.ReadError()) {
    const std::string suffix = SerialNumberSuffix(host_.SerialNumber());
    reporter_.AddLine("Found: " + name + suffix);
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

void PrepareAutoConnect(LinkLifecycle& lifecycle) {
  lifecycle.LiveRecord().SetRefreshEnable(0);
  lifecycle.SetIgnorePortEvents(false);
}

bool ConnectChosenPort(LinkLifecycle& lifecycle, const std::string& device) {
  lifecycle.SetDeviceName(device);
  lifecycle.Reporter().AddLine(device);
  lifecycle.SetBaudRate(LinkLifecycle::kDefaultBaudRate);
  return lifecycle.ConnectHardware();
}

}  // namespace mirvo
