// The serial port with a listener thread that waits for port events (poll on the tty and on an
// eventfd used to wake it) and reports them through OnEvent. Reads stay on the caller's thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "link/CSerial.h"

namespace mirvo {

class CSerialEx : public CSerial {
 public:
  CSerialEx() = default;
  ~CSerialEx() override;

  // Always overlapped; creates the wake event and starts the listener when asked. If the wake event
  // cannot be created the port is closed again.
  long Open(const std::string& device, std::size_t inQueue = 0, std::size_t outQueue = 0,
            bool startListener = false) override;
  long Close() override;

  virtual long StartListener();
  // Sets the stop flag, wakes the listener and waits at most timeoutMs for it to end.
  virtual long StopListener(std::uint32_t timeoutMs = kInfinite);
  bool ListenerRunning() const { return listener_.joinable(); }
  // "Character received" is reported once at least this many bytes are waiting (or when the line
  // has been quiet for a while with fewer), so a reply arriving in many small pieces costs one
  // event instead of dozens. 1 reports every arrival. Callable from any thread.
  void SetNotifyThreshold(std::size_t bytes) { notifyThreshold_ = bytes == 0 ? 1 : bytes; }
  std::size_t NotifyThreshold() const { return notifyThreshold_; }
  // The error with which the last listener ended (0 when stopped normally).
  long ListenerError() const { return listenerError_; }

 protected:
  // Called on the listener thread with (events AND mask, line-error bits).
  virtual void OnEvent(std::uint32_t events, std::uint32_t lineErrors) = 0;
  void OnInputConsumed() override;

 private:
  void ListenerMain();
  void Wake();

  int wakeFd_ = -1;
  std::thread listener_;
  std::atomic<bool> stop_{false};
  std::atomic<std::size_t> notifyThreshold_{1};
  std::atomic<long> listenerError_{0};
  std::mutex finishedMutex_;
  std::condition_variable finishedChanged_;
  bool finished_ = true;
};

}  // namespace mirvo
