// Processing of pending window messages from inside a wait (port finder probe, FPGA entry, logger
// waits): the Qt loop and the headless loop both provide it.
#pragma once

namespace mirvo {

class IMessagePump {
 public:
  virtual ~IMessagePump() = default;
  // Handles every message and due timer that is waiting now, then returns.
  virtual void ProcessPendingMessages() = 0;
};

}  // namespace mirvo
