// The main window's side of the instrument link: port choice, connect, disconnect, closing a dead
// link, port-event handling and the 200 ms supervision tick. Owns the transaction engine.
#pragma once

#include <cstdint>
#include <string>

#include "link/MessageTarget.h"
#include "protocol/CHardwareLink.h"

namespace mirvo {

class LinkLifecycle final : public ILinkSupervisor {
 public:
  static constexpr unsigned kDefaultBaudRate = 921600;  // the rate after AutoConnect
  static constexpr std::size_t kDriverQueueBytes = 2000;

  // Port events are posted to `events`; the owner routes them back to OnSerialEvent.
  LinkLifecycle(ILinkHost& host, IMessageTarget& events, ISleeper& sleeper = DefaultSleeper());

  CHardwareLink& Link() { return link_; }
  const CHardwareLink& Link() const { return link_; }

  void SetDeviceName(const std::string& device) { deviceName_ = device; }
  const std::string& DeviceName() const { return deviceName_; }
  void SetBaudRate(unsigned baud) { baudRate_ = baud; }
  unsigned BaudRate() const { return baudRate_; }
  bool PortInUse() const override { return portInUse_; }
  void SetPortInUse(bool inUse) { portInUse_ = inUse; }
  bool IgnorePortEvents() const { return ignorePortEvents_; }
  void SetIgnorePortEvents(bool ignore) { ignorePortEvents_ = ignore; }

  // Returns false when the port could not be opened (the error was shown and the link is closed).
  bool ConnectHardware();
  void DisconnectHardware();
  void CloseHardwareLink() override;
  // wParam of the port-event message: line errors x 65536 + events.
  void OnSerialEvent(std::uintptr_t wParam);
  void OnCommTimer() { link_.OnTimerTick(); }

  // The state of the table: closed, awaiting first reply, running, failing.
  enum class State { kClosed, kAwaitingFirstReply, kRunning, kFailing };
  State CurrentState() const;

  // Enabling rules of the link commands (the shown set must be the live BUFFER set).
  bool CanConnect(bool liveSetShown) const { return !link_.Connected() && liveSetShown; }
  bool CanDisconnect(bool liveSetShown) const { return link_.Connected() && liveSetShown; }

 private:
  ILinkHost& host_;
  IMessageTarget& events_;
  ISleeper& sleeper_;
  CHardwareLink link_;
  std::string deviceName_;
  unsigned baudRate_ = kDefaultBaudRate;
  bool portInUse_ = false;
  bool ignorePortEvents_ = false;
};

// The text logged for each port-event bit, in the order they are reported.
void LogSerialEvent(ILinkHost& host, std::uintptr_t wParam, CHardwareLink* link);

}  // namespace mirvo
