#include "link/LinkLifecycle.h"

#include "link/PortEnumerator.h"

namespace mirvo {

LinkLifecycle::LinkLifecycle(ILinkHost& host, IMessageTarget& events, ISleeper& sleeper)
    : host_(host), events_(events), sleeper_(sleeper), link_(host, *this, sleeper) {}

bool LinkLifecycle::ConnectHardware() {
  CSerialMFC& port = link_.Port();
  host_.ResetStartTimeSelection();
  link_.SetConnected(false);
  link_.SetResponding(false);
  host_.ResetTraceViewer();

  port.Close();
  link_.ClearPendingRequests();

  if (port.Open(deviceName_, events_, 0, 0, kDriverQueueBytes, kDriverQueueBytes) != serial_error::kSuccess) {
    host_.ShowError("Unable to open COM-port");
    port.Close();
    portInUse_ = false;
    CloseHardwareLink();
    host_.Redraw();
    return false;
  }

  port.Setup(baudRate_, DataBits::k8, Parity::kNone, StopBits::kOne);
  portInUse_ = true;
  ignorePortEvents_ = false;
  port.SetEventMask(serial_event::kRxChar | serial_event::kLineError);
  port.SetReadMode(kReadNonblocking);
  port.SetHandshake(kHandshakeRtsCts);
  port.SendBreak();
  port.Purge();
  link_.DrainInput();

  host_.AddLine("Connected to: " + deviceName_);

  host_.SetLoggedSeriesRunning(false);
  host_.SetLoggingEnabled(false);
  host_.SetAutoUpdate(true);
  host_.SetTraceViewerRunning(false);
  sleeper_.SleepMilliseconds(200);
  host_.ClearReadyMarkers();

  host_.SetConnectedCaptions(PortNameFromDevice(deviceName_));

  link_.ResetForConnect();
  link_.SetConnected(true);
  host_.SetRefreshEnable(1);
  host_.ResetShaperRemembered();
  link_.RequestStatusRead();  // its reply starts the continuous polling

  host_.ShowConnectedPanes();
  host_.Redraw();
  return true;
}

void LinkLifecycle::DisconnectHardware() {
  if (host_.LoggedSeriesRunning()) {
    host_.ShowError(
        "Spectrum Logging in progress!\nPlease Stop the Spectrum Logger\nbefore disconnecting from hardware!");
    return;
  }
  host_.SetLoggedSeriesRunning(false);
  host_.SetLoggingEnabled(false);
  portInUse_ = false;
  link_.SetRetryCounter(4);  // a transaction still in flight gives up at its next failure
  CloseHardwareLink();
}

void LinkLifecycle::CloseHardwareLink() {
  link_.SetConnected(false);
  link_.SetResponding(false);
  ignorePortEvents_ = true;
  host_.SetAutoUpdate(false);
  host_.SetTraceViewerRunning(false);
  link_.ClearPendingRequests();

  host_.RefreshSpectrumCaptions();
  host_.RefreshTraceControls();
  sleeper_.SleepMilliseconds(100);

  if (link_.Port().IsOpen()) link_.Port().Close();

  link_.SetConnected(false);
  link_.SetResponding(false);
  host_.ResetTraceViewer();
  portInUse_ = false;
  link_.SetBusy(false);
  host_.AddLine("Disconnected from hardware");
}

void LogSerialEvent(ILinkHost& host, std::uintptr_t wParam, CHardwareLink* link) {
  const std::uint32_t events = static_cast<std::uint32_t>(wParam & 0xFFFF);
  const std::uint32_t lineErrors = static_cast<std::uint32_t>((wParam >> 16) & 0xFFFF);
  if (lineErrors != 0) host.AddLine("An internal error occurred.");
  if (events & serial_event::kBreak) host.AddLine("Break detected on input.");
  if (events & serial_event::kLineError) host.AddLine("A line-status error occurred.");
  if (events & serial_event::kRxFlag) host.AddLine("Event character has been received.");
  if ((events & serial_event::kRxChar) && link != nullptr) link->OnBytesReceived();
  if (events & serial_event::kRing) host.AddLine("Ring detected.");
  if (events & serial_event::kTxEmpty) host.AddLine("All data sent.");
}

void LinkLifecycle::OnSerialEvent(std::uintptr_t wParam) {
  if (ignorePortEvents_) return;
  LogSerialEvent(host_, wParam, &link_);
}

LinkLifecycle::State LinkLifecycle::CurrentState() const {
  if (!link_.Connected()) return State::kClosed;
  if (link_.Responding()) return State::kRunning;
  return link_.RetryCounter() == CHardwareLink::kRetryLimit ? State::kFailing : State::kAwaitingFirstReply;
}

}  // namespace mirvo
