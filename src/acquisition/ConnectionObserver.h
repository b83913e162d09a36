// What the windows and panels do at the steps of a connection; each hook does nothing unless a
// host has something to do there.
#pragma once

#include <string>

namespace mirvo {

class IConnectionObserver {
 public:
  virtual ~IConnectionObserver() = default;
  // Connect begins (before the port is opened).
  virtual void OnConnecting() {}
  // A port was opened, for a connection or a probe: panels are no longer synchronised.
  virtual void OnPortOpened() {}
  // Connected and the first status read sent; `portName` as the captions show it.
  virtual void OnConnected(const std::string& portName) { (void)portName; }
  // The link was closed.
  virtual void OnLinkClosed() {}
};

}  // namespace mirvo
