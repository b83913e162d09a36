#include "fpga/DesignToolSession.h"

#include "fpga/SerialFlashPort.h"

namespace mirvo::fpga {

bool DesignToolSession::Begin() {
  if (!lifecycle_.Link().Responding()) {
    lifecycle_.Reporter().ShowError("No device is connected. Please, connect/reconect!");
    return false;
  }
  lifecycle_.StopPolling();
  begun_ = true;
  return true;
}

bool DesignToolSession::TryTakePort(std::function<void(std::uintptr_t)> onPortEvent) {
  if (holding_) return true;
  if (!begun_ || lifecycle_.Link().Busy() || LinkLost()) return false;
  lifecycle_.SetPortInUse(true);
  lifecycle_.SetIgnorePortEvents(true);
  lifecycle_.SetPortEventTarget(std::move(onPortEvent));
  SerialFlashPort(Port()).Discard();
  holding_ = true;
  return true;
}

void DesignToolSession::Release() {
  if (!holding_) return;
  holding_ = false;
  SerialFlashPort port(Port());
  port.Discard();
  port.ExpectReply(1);
  lifecycle_.SetPortEventTarget({});
  lifecycle_.SetIgnorePortEvents(false);
}

void DesignToolSession::Reconnect() {
  Release();
  if (!begun_) return;
  begun_ = false;
  lifecycle_.Policy().AutoUpdateSwitch().SetAutoUpdate(true);
  lifecycle_.ConnectHardware();
}

}  // namespace mirvo::fpga
