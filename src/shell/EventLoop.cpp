#include "shell/EventLoop.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

namespace mirvo {

EventLoop::EventLoop(const IClock& clock) : clock_(clock) {}

void EventLoop::PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({false, message, wParam, lParam, {}});
  }
  wake_.notify_all();
}

void EventLoop::PostTask(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({true, 0, 0, 0, std::move(task)});
  }
  wake_.notify_all();
}

void EventLoop::Wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  wake_.notify_all();
}

int EventLoop::SetTimer(int periodMs, std::function<void()> callback) {
  const int id = nextTimerId_++;
  timers_[id] = Timer{periodMs, clock_.UtcMilliseconds() + periodMs, std::move(callback)};
  return id;
}

void EventLoop::KillTimer(int id) { timers_.erase(id); }

bool EventLoop::RunDueTimers() {
  bool ran = false;
  std::vector<int> due;
  const std::int64_t now = clock_.UtcMilliseconds();
  for (const auto& [id, timer] : timers_)
    if (timer.due <= now) due.push_back(id);
  for (int id : due) {
    auto it = timers_.find(id);
    if (it == timers_.end()) continue;  // killed by an earlier callback
    // A timer that fell behind fires once and is rescheduled from now, like a window timer.
    it->second.due = std::max(it->second.due + it->second.periodMs, now + 1);
    auto callback = it->second.callback;
    callback();
    ran = true;
  }
  return ran;
}

std::int64_t EventLoop::MillisecondsToNextTimer() const {
  std::int64_t next = std::numeric_limits<std::int64_t>::max();
  const std::int64_t now = clock_.UtcMilliseconds();
  for (const auto& [id, timer] : timers_) next = std::min(next, timer.due - now);
  return next;
}

void EventLoop::ProcessPendingMessages() {
  std::deque<Message> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(queue_);
  }
  for (auto& m : batch) {
    if (m.isTask) {
      if (m.task) m.task();
    } else if (handler_) {
      handler_(m.message, m.wParam, m.lParam);
    }
  }
  RunDueTimers();
}

bool EventLoop::RunUntil(const std::function<bool()>& done, int maxWaitMs) {
  auto idleSince = std::chrono::steady_clock::now();
  while (!done()) {
    bool haveWork;
    {
      std::lock_guard lock(mutex_);
      haveWork = !queue_.empty();
    }
    if (haveWork || MillisecondsToNextTimer() <= 0) {
      ProcessPendingMessages();
      idleSince = std::chrono::steady_clock::now();
      continue;
    }
    auto wait = std::chrono::milliseconds(std::clamp<std::int64_t>(MillisecondsToNextTimer(), 1, 50));
    if (maxWaitMs >= 0) {
      const auto waited = std::chrono::steady_clock::now() - idleSince;
      if (waited >= std::chrono::milliseconds(maxWaitMs)) return done();
    }
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, wait, [this] { return !queue_.empty() || woken_; });
    woken_ = false;
  }
  return true;
}

}  // namespace mirvo
