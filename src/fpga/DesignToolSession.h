// The link paused for the FPGA design tool: polling stopped, the port taken once the engine has
// finished its last transaction (no wait loop: the owner asks again on its timer), the port's events
// routed to the tool, and the port handed back clean before the link reconnects.
#pragma once

#include <cstdint>
#include <functional>

#include "acquisition/LinkLifecycle.h"

namespace mirvo::fpga {

class DesignToolSession {
 public:
  explicit DesignToolSession(LinkLifecycle& lifecycle) : lifecycle_(lifecycle) {}
  ~DesignToolSession() { Release(); }
  DesignToolSession(const DesignToolSession&) = delete;
  DesignToolSession& operator=(const DesignToolSession&) = delete;

  // Refused with "No device is connected. Please, connect/reconect!" unless the instrument is
  // responding; otherwise AUTO UPDATE is unchecked and the trace viewer stopped.
  bool Begin();
  // Takes the port when the engine is idle: port-in-use and ignore-port-events set, port events go
  // to `onPortEvent`. True while the port is held; false while the engine is still busy or the link
  // has been closed meanwhile (LinkLost).
  bool TryTakePort(std::function<void(std::uintptr_t)> onPortEvent);
  bool Holding() const { return holding_; }
  bool LinkLost() const { return !lifecycle_.Link().Connected() || !lifecycle_.Link().Port().IsOpen(); }
  CSerialEx& Port() { return lifecycle_.Link().Port(); }
  // The port stays legitimately held (the engine's supervision must not close it).
  void KeepPortInUse() { lifecycle_.SetPortInUse(true); }
  // Hands the port back: whatever it holds is discarded, its events go to the engine again.
  // The caller stops the tool's operation first.
  void Release();
  // After Release: AUTO UPDATE checked again and the link reconnected.
  void Reconnect();

 private:
  LinkLifecycle& lifecycle_;
  bool begun_ = false;
  bool holding_ = false;
};

}  // namespace mirvo::fpga
