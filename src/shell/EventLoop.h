// The headless event loop of the command-line tool and the tests: port-event messages posted from
// the listener thread, timers on an injected clock, and pumping while waiting. The GUI drives the
// same core objects from Qt's loop instead.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "base/Clock.h"
#include "link/MessageTarget.h"
#include "shell/MessagePump.h"

namespace mirvo {

class EventLoop final : public IMessageTarget, public IMessagePump {
 public:
  using MessageHandler = std::function<void(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;

  explicit EventLoop(const IClock& clock = DefaultClock());

  void SetMessageHandler(MessageHandler handler) { handler_ = std::move(handler); }

  // Thread-safe: queue a message (listener thread) or a task for the loop's thread.
  void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void PostTask(std::function<void()> task);

  // Timers fire on the loop's thread when the clock has passed their due time.
  int SetTimer(int periodMs, std::function<void()> callback);
  void KillTimer(int id);

  void ProcessPendingMessages() override;
  // Processes messages and timers until `done` returns true or `maxWaitMs` of real waiting have
  // passed with nothing to do (a guard against a hung run; -1 waits without limit).
  // Returns whether `done` became true.
  bool RunUntil(const std::function<bool()>& done, int maxWaitMs = -1);
  // Wakes a RunUntil that waits (e.g. after a signal handler set a flag).
  void Wake();

 private:
  struct Timer {
    int periodMs;
    std::int64_t due;
    std::function<void()> callback;
  };
  struct Message {
    bool isTask;
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::function<void()> task;
  };
  bool RunDueTimers();
  std::int64_t MillisecondsToNextTimer() const;

  const IClock& clock_;
  MessageHandler handler_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Message> queue_;
  bool woken_ = false;
  std::map<int, Timer> timers_;
  int nextTimerId_ = 1;
};

}  // namespace mirvo
