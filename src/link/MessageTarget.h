// Where the serial listener delivers its port events: a window of the user-interface thread.
// The GUI implements it with a queued call onto Qt's main thread, the headless loop with its queue.
#pragma once

#include <cstdint>

namespace mirvo {

class IMessageTarget {
 public:
  virtual ~IMessageTarget() = default;
  // Called on the listener thread. Must only queue (message, wParam, lParam) for the
  // user-interface thread and return; it must never touch protocol state.
  virtual void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

}  // namespace mirvo
