// The serial port with a listener thread that waits for port events (poll on the tty and on an
// eventfd used to wake it) and reports them through OnEvent. Reads stay on the caller's thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "link/CSerial.h"

namespace mirvo {

class IClock;

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
  // The quiet time of the notify threshold is measured on this clock instead of the monotonic one
  // (tests inject a fake clock, so that a reply in pieces never depends on how fast they come).
  // Set it before the listener starts; nullptr goes back to the monotonic clock.
  void SetQuietClock(const IClock* clock) { quietClock_ = clock; }
  // The error with which the last listener ended (0 when stopped normally).
  long ListenerError() const { return listenerError_; }

 protected:
  // Called on the listener thread with (events AND mask, line-error bits).
  virtual void OnEvent(std::uint32_t events, std::uint32_t lineErrors) = 0;
  void OnInputConsumed() override;

 private:
  void ListenerMain();
  void Wake();
  std::chrono::steady_clock::time_point QuietClockNow() const;

  int wakeFd_ = -1;
  std::thread listener_;
  std::atomic<bool> stop_{false};
  std::atomic<std::size_t> notifyThreshold_{1};
  std::atomic<long> listenerError_{0};
  const IClock* quietClock_ = nullptr;
  std::mutex finishedMutex_;
  std::condition_variable finishedChanged_;
  bool finished_ = true;
};

}  // namespace mirvo
