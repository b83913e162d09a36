#include "acquisition/LinkLifecycle.h"

#include "link/PortEnumerator.h"

namespace mirvo {

LinkLifecycle::LinkLifecycle(IReporter& reporter, ILiveRecord& live, SpectrumMemory& memory, IMessageTarget& events,
                               ISleeper& sleeper)
    : reporter_(reporter),
      live_(live),
      events_(events),
      sleeper_(sleeper),
      link_(reporter, live, *this, sleeper),
      policy_(link_, live, memory, refreshChain_) {
  link_.SetReplyHandler(&policy_);
}

void LinkLifecycle::StopPolling() {
  policy_.AutoUpdateSwitch().SetAutoUpdate(false);
  if (ITraceSink* trace = policy_.TraceSink()) trace->SetTraceRunning(false);
}

void LinkLifecycle::NotifyPortOpened() {
  Notify([](IConnectionObserver& o) { o.OnPortOpened(); });
}

bool LinkLifecycle::ConnectHardware() {
  CSerialMFC& port = link_.Port();
  link_.SetConnected(false);
  link_.SetResponding(false);
  Notify([](IConnectionObserver& o) { o.OnConnecting(); });  // the start-time kind is asked again
  if (ITraceSink* trace = policy_.TraceSink()) trace->ResetTraceViewer();

  port.Close();
  link_.ClearPendingRequests();

  if (port.Open(deviceName_, events_, 0, 0, kDriverQueueBytes, kDriverQueueBytes) != serial_error::kSuccess) {
    reporter_.ShowError("Unable to open COM-port");
    if (!port.OpenFailure().empty()) reporter_.AddLine(port.OpenFailure());  // the system's reason
    port.Close();
    portInUse_ = false;
    CloseHardwareLink();
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

  reporter_.AddLine("Connected to: " + deviceName_);

  StopLogging();
  policy_.AutoUpdateSwitch().SetAutoUpdate(true);
  if (ITraceSink* trace = policy_.TraceSink()) trace->SetTraceRunning(false);
  sleeper_.SleepMilliseconds(200);
  NotifyPortOpened();

  link_.ResetForConnect();
  link_.SetConnected(true);
  live_.SetRefreshEnable(1);
  link_.RequestStatusRead();  // its reply starts the continuous polling

  const std::string portName = PortNameFromDevice(deviceName_);
  Notify([&](IConnectionObserver& o) { o.OnConnected(portName); });  // captions, panes, remembered values
  return true;
}

void LinkLifecycle::DisconnectHardware() {
  if (SeriesRunning()) {
    reporter_.ShowError(
        "Spectrum Logging in progress!\nPlease Stop the Spectrum Logger\nbefore disconnecting from hardware!");
    return;
  }
  StopLogging();
  portInUse_ = false;
  link_.SetRetryCounter(4);  // a transaction still in flight gives up at its next failure
  CloseHardwareLink();
}

void LinkLifecycle::CloseHardwareLink() {
  link_.SetConnected(false);
  link_.SetResponding(false);
  ignorePortEvents_ = true;
  StopPolling();
  link_.ClearPendingRequests();
  ITraceSink* trace = policy_.TraceSink();
  if (trace != nullptr) trace->RefreshTraceControls();
  sleeper_.SleepMilliseconds(100);

  if (link_.Port().IsOpen()) link_.Port().Close();

  link_.SetConnected(false);
  link_.SetResponding(false);
  portInUse_ = false;
  link_.SetBusy(false);
  if (trace != nullptr) trace->ResetTraceViewer();
  Notify([](IConnectionObserver& o) { o.OnLinkClosed(); });  // captions without the port
  reporter_.AddLine("Disconnected from hardware");
}

void LogSerialEvent(IReporter& reporter, std::uintptr_t wParam, CHardwareLink* link) {
  const std::uint32_t events = static_cast<std::uint32_t>(wParam & 0xFFFF);
  const std::uint32_t lineErrors = static_cast<std::uint32_t>((wParam >> 16) & 0xFFFF);
  if (lineErrors != 0) reporter.AddLine("An internal error occurred.");
  if (events & serial_event::kBreak) reporter.AddLine("Break detected on input.");
  if (events & serial_event::kLineError) reporter.AddLine("A line-status error occurred.");
  if (events & serial_event::kRxFlag) reporter.AddLine("Event character has been received.");
  if ((events & serial_event::kRxChar) && link != nullptr) link->OnBytesReceived();
  if (events & serial_event::kRing) reporter.AddLine("Ring detected.");
  if (events & serial_event::kTxEmpty) reporter.AddLine("All data sent.");
}

void LinkLifecycle::OnSerialEvent(std::uintptr_t wParam) {
  if (ignorePortEvents_) {
    if (portEventTarget_) portEventTarget_(wParam);
    return;
  }
  LogSerialEvent(reporter_, wParam, &link_);
  if ((wParam & serial_event::kHangUp) != 0 && link_.Connected()) {
    // Nothing more can come over a hung-up line: close now rather than after four time-outs.
    reporter_.AddLine("The port hung up (instrument unplugged or switched off)");
    CloseHardwareLink();
  }
}

LinkLifecycle::State LinkLifecycle::CurrentState() const {
  if (!link_.Connected()) return State::kClosed;
  if (link_.Responding()) return State::kRunning;
  return link_.RetryCounter() == CHardwareLink::kRetryLimit ? State::kFailing : State::kAwaitingFirstReply;
}

}  // namespace mirvo
