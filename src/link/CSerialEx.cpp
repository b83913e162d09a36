#include "link/CSerialEx.h"

#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "base/Clock.h"

namespace mirvo {
namespace {

// Line counters of drivers that keep them (real UARTs and most USB bridges; not pseudo-terminals).
struct LineCounters {
  bool available = false;
  serial_icounter_struct counts{};
};

LineCounters ReadLineCounters(int fd) {
  LineCounters c;
  c.available = ::ioctl(fd, TIOCGICOUNT, &c.counts) == 0;
  return c;
}

int QueuedInput(int fd) {
  int queued = 0;
  if (::ioctl(fd, FIONREAD, &queued) != 0) return 0;
  return queued;
}

}  // namespace

CSerialEx::~CSerialEx() { CSerialEx::Close(); }

long CSerialEx::Open(const std::string& device, std::size_t inQueue, std::size_t outQueue, bool startListener) {
  if (const long error = CSerial::Open(device, inQueue, outQueue, true); error != serial_error::kSuccess) return error;
  wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wakeFd_ < 0) {
    const int e = errno;
    CSerial::Close();
    return Fail(SerialErrorFromErrno(e));
  }
  if (startListener) {
    if (const long error = StartListener(); error != serial_error::kSuccess) {
      Close();
      return Fail(error);
    }
  }
  return Succeed();
}

long CSerialEx::Close() {
  if (ListenerRunning()) StopListener(1000);
  if (wakeFd_ >= 0) {
    ::close(wakeFd_);
    wakeFd_ = -1;
  }
  return CSerial::Close();
}

long CSerialEx::StartListener() {
  if (!IsOpen()) return Fail(serial_error::kNotOpen);
  if (ListenerRunning()) return Succeed();
  stop_ = false;
  listenerError_ = 0;
  {
    std::lock_guard lock(finishedMutex_);
    finished_ = false;
  }
  try {
    listener_ = std::thread(&CSerialEx::ListenerMain, this);
  } catch (const std::system_error& e) {
    std::lock_guard lock(finishedMutex_);
    finished_ = true;
    return Fail(SerialErrorFromErrno(e.code().value()));
  }
  return Succeed();
}

long CSerialEx::StopListener(std::uint32_t timeoutMs) {
  if (!ListenerRunning()) return Succeed();
  stop_ = true;
  Wake();
  bool ended;
  {
    std::unique_lock lock(finishedMutex_);
    if (timeoutMs == kInfinite) {
      finishedChanged_.wait(lock, [this] { return finished_; });
      ended = true;
    } else {
      ended = finishedChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return finished_; });
    }
  }
  // The listener only waits in poll() with the wake event among its descriptors, so it ends at once;
  // the bound is kept so that a close can never hang.
  if (ended)
    listener_.join();
  else
    listener_.detach();
  stop_ = false;
  return ended ? Succeed() : Fail(serial_error::kTimeout);
}

void CSerialEx::Wake() {
  if (wakeFd_ < 0) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

std::chrono::steady_clock::time_point CSerialEx::QuietClockNow() const {
  if (quietClock_ == nullptr) return std::chrono::steady_clock::now();
  return std::chrono::steady_clock::time_point(std::chrono::milliseconds(quietClock_->UtcMilliseconds()));
}

void CSerialEx::OnInputConsumed() {
  if (ListenerRunning()) Wake();
}

// Reports "character received" once per arrival: after an event is posted the port is not polled
// for input again until the user-interface thread has read or purged (which wakes the listener),
// or until more bytes have arrived on top of those it was told about. Below the notify threshold
// the listener looks again after about the time the missing bytes need on the line, and reports
// what is there once the line has been quiet for kQuietMs.
void CSerialEx::ListenerMain() {
  constexpr int kQuietMs = 50;
  const int fd = Handle();
  bool armed = true;
  bool hungUp = false;
  bool waitingForMore = false;
  int queuedAtPost = 0;
  int queuedSeen = 0;
  auto lastGrowth = QuietClockNow();
  LineCounters before = ReadLineCounters(fd);
  const auto currentThreshold = [this] {
    return static_cast<int>(std::min<std::size_t>(notifyThreshold_, 1 << 30));
  };

  while (!stop_) {
    const std::uint32_t mask = CurrentEventMask();
    const bool wantsInput = (mask & (serial_event::kRxChar | serial_event::kRxFlag)) != 0;
    int timeout = -1;
    if (hungUp) {
      timeout = 100;
    } else if (!armed) {
      timeout = 20;
    } else if (waitingForMore) {
      const long missing = std::max(1, currentThreshold() - queuedSeen);
      const long lineMs = missing * 1000L / std::max(1u, BytesPerSecond()) + 1;
      timeout = static_cast<int>(std::clamp(lineMs, 1L, 20L));
    }
    const bool pollInput = armed && wantsInput && !waitingForMore && !hungUp;
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {fd, static_cast<short>(pollInput ? POLLIN : 0), 0}};
    const nfds_t count = hungUp ? 1 : 2;
    const int n = ::poll(fds, count, timeout);
    if (n < 0) {
      if (errno == EINTR) continue;
      listenerError_ = SerialErrorFromErrno(errno);
      break;
    }
    if (fds[0].revents & POLLIN) {
      std::uint64_t value = 0;
      [[maybe_unused]] const ssize_t r = ::read(wakeFd_, &value, sizeof value);
      armed = true;
      hungUp = false;
      waitingForMore = false;
    }
    if (stop_) break;
    // The engine sets the threshold for the next reply just before it sends the request, mostly
    // while this thread waits in poll: what arrived is judged by the threshold in force now.
    const int threshold = currentThreshold();

    std::uint32_t events = 0;
    // The other end went away: look again now and then instead of spinning. A hung-up tty reports
    // itself readable for ever, so it counts as gone once nothing is left to read.
    const bool lineGone = (fds[1].revents & (POLLHUP | POLLERR)) != 0 &&
                          (!(fds[1].revents & POLLIN) || QueuedInput(fd) == 0);
    if (!hungUp && lineGone) {
      hungUp = true;
      OnEvent(serial_event::kHangUp, 0);
      continue;
    }
    if (wantsInput && !hungUp) {
      if (armed && ((fds[1].revents & POLLIN) || waitingForMore)) {
        const int queued = QueuedInput(fd);
        const auto now = QuietClockNow();
        if (!waitingForMore || queued != queuedSeen) lastGrowth = now;
        queuedSeen = queued;
        const bool quiet = now - lastGrowth >= std::chrono::milliseconds(kQuietMs);
        if (queued >= threshold || (queued > 0 && waitingForMore && quiet)) {
          events |= serial_event::kRxChar;
          waitingForMore = false;
        } else {
          waitingForMore = queued > 0;
        }
      } else if (!armed && QueuedInput(fd) > queuedAtPost) {
        events |= serial_event::kRxChar;
      }
    }

    std::uint32_t lineErrors = 0;
    const LineCounters after = before.available ? ReadLineCounters(fd) : before;
    if (before.available && after.available) {
      if (after.counts.frame != before.counts.frame) lineErrors |= line_error::kFrame;
      if (after.counts.overrun != before.counts.overrun) lineErrors |= line_error::kOverrun;
      if (after.counts.parity != before.counts.parity) lineErrors |= line_error::kParity;
      if (after.counts.buf_overrun != before.counts.buf_overrun) lineErrors |= line_error::kRxOver;
      if (after.counts.brk != before.counts.brk) {
        lineErrors |= line_error::kBreak;
        events |= serial_event::kBreak;
      }
      if (after.counts.rng != before.counts.rng) events |= serial_event::kRing;
      if (lineErrors & ~line_error::kBreak) events |= serial_event::kLineError;
    }
    before = after;

    const std::uint32_t reported = events & mask;
    if (reported != 0) {
      if (reported & serial_event::kRxChar) {
        armed = false;
        queuedAtPost = QueuedInput(fd);
      }
      OnEvent(reported, lineErrors);
    }
  }

  std::lock_guard lock(finishedMutex_);
  finished_ = true;
  finishedChanged_.notify_all();
}

}  // namespace mirvo
