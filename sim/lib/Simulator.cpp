#include "lib/Simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>

#include "lib/FaultInjector.h"
#include "lib/Instrument.h"
#include "lib/RequestFramer.h"

namespace kvetral {
namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr std::size_t kRequestLogLimit = 65536;        // the oldest entries go first beyond this
constexpr std::size_t kPendingOutputLimit = 8u << 20;  // nobody reads the line: drop what waits
constexpr auto kQuietLine = std::chrono::milliseconds(500);  // a request left half-sent is given up
constexpr int kTickMs = 100;
constexpr auto kUnreadGrace = std::chrono::seconds(2);  // closing waits this long for the host to read
constexpr auto kLineSettle = std::chrono::milliseconds(100);  // the pty moves written bytes on later

void MakeRaw(int fd) {
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return;
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::tcsetattr(fd, TCSANOW, &tio);
}

std::string ErrnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

// The lock a running simulator holds beside its link: the kernel drops it when the process ends,
// however it ends, so a link without a held lock was left by a simulator that is gone.
std::string LockPathOf(const std::string& link) {
  const std::filesystem::path path(link);
  std::string name = ".";
  name.append(path.filename().string());
  name.append(".lock");
  return (path.parent_path() / name).string();
}

// Puts the symbolic link `link` -> `device`, replacing a stale link a crashed or killed simulator
// left (its pseudo-terminal may since have been given to another program, so the link's target
// existing proves nothing). `lockFd` receives the held lock.
bool MakeLink(const std::string& link, const std::string& device, int* lockFd, std::string* error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path parent = fs::path(link).parent_path();
  if (!parent.empty()) {
    fs::create_directories(parent, ec);
    if (ec) {
      *error = "cannot create " + parent.string() + ": " + ec.message();
      return false;
    }
  }
  const std::string inUse = link + " is in use (another simulator?); choose another --serial or --link";
  const int lock = ::open(LockPathOf(link).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lock < 0) {
    *error = ErrnoText("cannot create the lock " + LockPathOf(link));
    return false;
  }
  if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
    ::close(lock);
    *error = inUse;
    return false;
  }
  struct stat st{};
  if (::lstat(link.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      ::close(lock);
      *error = link + " exists and is not a link; choose another --serial or --link";
      return false;
    }
    ::unlink(link.c_str());
  }
  if (::symlink(device.c_str(), link.c_str()) != 0) {
    ::close(lock);
    *error = ErrnoText("cannot create the link " + link);
    return false;
  }
  *lockFd = lock;
  return true;
}

void RemoveLink(const std::string& link, const std::string& device) {
  char target[4096];
  const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
  if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == device) ::unlink(link.c_str());
}

}  // namespace

struct Simulator::Impl {
  explicit Impl(SimOptions o) : options(std::move(o)) {}

  SimOptions options;
  std::string devicePath, linkPath;
  int linkLock = -1;
  int master = -1, slave = -1, wakeRead = -1, wakeWrite = -1;
  std::thread thread;
  std::atomic<bool> stopRequested{false};
  std::atomic<bool> serving{false};

  mutable std::mutex mutex;  // guards everything below
  std::condition_variable unplugged;
  bool unplugRequested = false;
  std::unique_ptr<Instrument> instrument;
  std::unique_ptr<FaultInjector> faults;
  std::uint64_t requests = 0;
  std::uint64_t replies = 0;
  std::deque<std::vector<std::uint8_t>> log;
  bool closePending = false;
  double offsetMs = 0;
  std::int64_t utcAtStart = 0;
  SteadyClock::time_point steadyAtStart;

  // The instrument's present: the injected clock, or the real one taken monotonically so that a
  // change of the system clock does not make the instrument count an hour in one step.
  std::int64_t Now() const {
    const auto offset = static_cast<std::int64_t>(offsetMs);
    if (options.clock) return options.clock->UtcMilliseconds() + offset;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - steadyAtStart).count();
    return utcAtStart + elapsed + offset;
  }
  void Wake() const {
    const std::uint8_t byte = 1;
    if (wakeWrite >= 0) (void)!::write(wakeWrite, &byte, 1);
  }
  void CloseLine() {
    if (master >= 0) ::close(master);
    if (slave >= 0) ::close(slave);
    master = slave = -1;
    serving = false;
  }
  void CloseAll() {
    CloseLine();
    if (wakeRead >= 0) ::close(wakeRead);
    if (wakeWrite >= 0) ::close(wakeWrite);
    wakeRead = wakeWrite = -1;
  }
  bool OpenLine(std::string* error);
  std::vector<std::uint8_t> Process(const std::vector<std::uint8_t>& request);
  void Serve();
};

// The pseudo-terminal pair in raw mode, and the pipe that wakes the serving thread.
bool Simulator::Impl::OpenLine(std::string* error) {
  master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[128] = {};
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
    *error = ErrnoText("cannot open a pseudo-terminal");
    return false;
  }
  devicePath = name;
  MakeRaw(master);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  // Holding the slave open keeps the line up while no program has it open.
  slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave >= 0) MakeRaw(slave);
  int pipeFds[2];
  if (::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0) {
    *error = ErrnoText("cannot create a pipe");
    return false;
  }
  wakeRead = pipeFds[0];
  wakeWrite = pipeFds[1];
  return true;
}

std::vector<std::uint8_t> Simulator::Impl::Process(const std::vector<std::uint8_t>& request) {
  std::lock_guard lock(mutex);
  if (closePending) return {};
  ++requests;
  log.push_back(request);
  if (log.size() > kRequestLogLimit) log.pop_front();
  if (faults->CloseDue(requests)) closePending = true;
  if (!faults->Admit(requests)) return {};
  std::vector<std::uint8_t> reply = instrument->Handle(request, Now());
  faults->Shape(reply);
  if (!reply.empty()) ++replies;
  return reply;
}

void Simulator::Impl::Serve() {
  RequestFramer framer;
  std::vector<std::uint8_t> out;
  std::size_t outStart = 0;
  auto lastInput = SteadyClock::now();
  auto lastOutput = SteadyClock::now();
  const double bytesPerSecond = options.baud / 10.0;
  double lineBudget = 0;  // bytes the paced line may send now
  auto lastPacing = SteadyClock::now();
  std::vector<std::uint8_t> request;
  std::uint8_t buffer[65536];
  bool closing = false;
  SteadyClock::time_point closeBy{};

  while (!stopRequested) {
    const bool pending = outStart < out.size();
    int timeout = options.clock ? -1 : kTickMs;
    if (framer.HasPartial()) timeout = kTickMs;
    if (closing) timeout = 5;
    bool wantWrite = pending;
    if (pending && bytesPerSecond > 0) {
      // A pty master is nearly always writable: while the paced line has no burst to send, sleep
      // until it has one instead of waking for writability.
      constexpr double kMinBurst = 64.0;
      const double budgetNow =
          lineBudget + std::chrono::duration<double>(SteadyClock::now() - lastPacing).count() * bytesPerSecond;
      if (budgetNow < kMinBurst) {
        wantWrite = false;
        timeout = std::max(1, static_cast<int>((kMinBurst - budgetNow) * 1000.0 / bytesPerSecond) + 1);
      } else {
        timeout = 2;
      }
    }
    pollfd fds[2] = {{wakeRead, POLLIN, 0}, {master, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0}};
    ::poll(fds, master >= 0 ? 2 : 1, timeout);
    if (fds[0].revents & POLLIN) {
      while (::read(wakeRead, buffer, sizeof buffer) > 0) {
      }
    }
    {
      std::lock_guard lock(mutex);
      if (unplugRequested) {
        CloseLine();
        unplugRequested = false;
        unplugged.notify_all();
      }
    }
    if (master < 0) {
      if (stopRequested) break;
      continue;
    }
    if (fds[1].revents & POLLIN) {
      for (;;) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) break;
        framer.Feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)));
        lastInput = SteadyClock::now();
      }
    }
    while (framer.Next(&request)) {
      const auto reply = Process(request);
      out.insert(out.end(), reply.begin(), reply.end());
    }
    if (framer.HasPartial() && SteadyClock::now() - lastInput > kQuietLine) {
      framer.AbandonPartial();
      lastInput = SteadyClock::now();
      continue;
    }
    if (!options.clock) {
      std::lock_guard lock(mutex);
      instrument->AdvanceTo(Now());
    }
    // Send what waits, held to the line rate when one is set.
    std::size_t allowed = out.size() - outStart;
    if (bytesPerSecond > 0) {
      const auto now = SteadyClock::now();
      lineBudget = std::min(lineBudget + std::chrono::duration<double>(now - lastPacing).count() * bytesPerSecond,
                            std::max(64.0, bytesPerSecond / 100));
      lastPacing = now;
      allowed = std::min(allowed, static_cast<std::size_t>(lineBudget));
    }
    if (allowed > 0) {
      const ssize_t n = ::write(master, out.data() + outStart, allowed);
      if (n > 0) {
        outStart += static_cast<std::size_t>(n);
        lineBudget -= static_cast<double>(n);
        lastOutput = SteadyClock::now();
      }
    }
    if (outStart == out.size() || out.size() - outStart > kPendingOutputLimit) {
      out.clear();
      outStart = 0;
    }
    // Unplugging: let the host read the last replies first (a hang-up discards what is unread).
    std::lock_guard lock(mutex);
    if (closePending && out.empty() && master >= 0) {
      if (!closing) closeBy = SteadyClock::now() + kUnreadGrace;
      closing = true;
      int unread = 0;
      const auto now = SteadyClock::now();
      const bool settled = now - lastOutput > kLineSettle;
      if ((settled && (slave < 0 || ::ioctl(slave, FIONREAD, &unread) != 0 || unread == 0)) || now > closeBy) {
        CloseLine();
        closing = false;
      }
    }
  }
  std::lock_guard lock(mutex);
  if (unplugRequested) {  // an Unplug that raced with Stop must not wait for ever
    CloseLine();
    unplugRequested = false;
    unplugged.notify_all();
  }
}

Simulator::Simulator(SimOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Simulator::~Simulator() { Stop(); }

bool Simulator::Start(std::string* error) {
  std::string message;
  std::string* err = error ? error : &message;
  Impl& s = *impl_;
  if (s.thread.joinable()) {
    *err = "already started";
    return false;
  }
  InstrumentConfig config{s.options.serial, Source::Mixed, s.options.fom, s.options.rate,
                          s.options.speed, s.options.seed, s.options.journal, s.options.drift};
  if (!ParseSource(s.options.source, &config.source)) {
    *err = "unknown source '" + s.options.source + "' (cs137, co60, ambe or mixed)";
    return false;
  }
  if (!s.OpenLine(err)) {
    s.CloseAll();
    return false;
  }
  if (!s.options.link.empty()) {
    if (!MakeLink(s.options.link, s.devicePath, &s.linkLock, err)) {
      s.CloseAll();
      return false;
    }
    s.linkPath = s.options.link;
  }
  s.utcAtStart = mirvo::DefaultClock().UtcMilliseconds();
  s.steadyAtStart = SteadyClock::now();
  const FaultOptions faults{s.options.corrupt, s.options.drop, s.options.garbage, s.options.silentAfter,
                            s.options.closeAfter};
  {
    std::lock_guard lock(s.mutex);
    s.instrument = std::make_unique<Instrument>(config);
    s.faults = std::make_unique<FaultInjector>(faults, s.options.seed ^ 0xFA0175ull);
    s.instrument->AdvanceTo(s.Now());
    s.closePending = s.options.closeAfter == 0;
  }
  s.stopRequested = false;
  s.serving = true;
  s.thread = std::thread([&s] { s.Serve(); });
  return true;
}

void Simulator::Stop() {
  Impl& s = *impl_;
  if (s.thread.joinable()) {
    s.stopRequested = true;
    s.Wake();
    s.thread.join();
  }
  s.CloseAll();
  if (!s.linkPath.empty()) RemoveLink(s.linkPath, s.devicePath);
  s.linkPath.clear();
  if (s.linkLock >= 0) ::close(s.linkLock);
  s.linkLock = -1;
}

const std::string& Simulator::DevicePath() const { return impl_->devicePath; }
const std::string& Simulator::LinkPath() const { return impl_->linkPath; }
bool Simulator::Serving() const { return impl_->serving; }

std::uint16_t Simulator::Register(unsigned reg) const {
  std::lock_guard lock(impl_->mutex);
  if (!impl_->instrument) return 0;
  impl_->instrument->AdvanceTo(impl_->Now());
  impl_->instrument->UpdateInstrumentRegisters();
  return impl_->instrument->Register(reg);
}

void Simulator::SetRegister(unsigned reg, std::uint16_t value) {
  std::lock_guard lock(impl_->mutex);
  if (!impl_->instrument) return;
  impl_->instrument->AdvanceTo(impl_->Now());
  impl_->instrument->SetRegister(reg, value);
}

void Simulator::PowerCycle() {
  std::lock_guard lock(impl_->mutex);
  if (!impl_->instrument) return;
  impl_->instrument->AdvanceTo(impl_->Now());
  impl_->instrument->PowerCycle(impl_->Now());
}

std::uint64_t Simulator::NeutronTotal(unsigned spectrum) const {
  std::lock_guard lock(impl_->mutex);
  if (!impl_->instrument) return 0;
  impl_->instrument->AdvanceTo(impl_->Now());
  return impl_->instrument->NeutronTotal(spectrum);
}

std::uint32_t Simulator::Count(unsigned spectrum, unsigned channel) const {
  std::lock_guard lock(impl_->mutex);
  if (!impl_->instrument) return 0;
  impl_->instrument->AdvanceTo(impl_->Now());
  return impl_->instrument->Count(spectrum, channel);
}

std::uint64_t Simulator::RequestsReceived() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests;
}

std::uint64_t Simulator::RepliesSent() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->replies;
}

std::vector<std::vector<std::uint8_t>> Simulator::RequestLog() const {
  std::lock_guard lock(impl_->mutex);
  return {impl_->log.begin(), impl_->log.end()};
}

void Simulator::ClearRequestLog() {
  std::lock_guard lock(impl_->mutex);
  impl_->log.clear();
}

void Simulator::CorruptNextReplies(int n) {
  std::lock_guard lock(impl_->mutex);
  if (impl_->faults) impl_->faults->CorruptNext(n);
}

void Simulator::DropNextRequests(int n) {
  std::lock_guard lock(impl_->mutex);
  if (impl_->faults) impl_->faults->DropNext(n);
}

void Simulator::SetSilent(bool silent) {
  std::lock_guard lock(impl_->mutex);
  if (impl_->faults) impl_->faults->SetSilent(silent);
}

void Simulator::SetCountingPaused(bool paused) {
  std::lock_guard lock(impl_->mutex);
  if (!impl_->instrument) return;
  impl_->instrument->AdvanceTo(impl_->Now());  // what came before the change counts as before
  impl_->instrument->SetCountingPaused(paused);
}

void Simulator::Unplug() {
  Impl& s = *impl_;
  std::unique_lock lock(s.mutex);
  if (!s.thread.joinable() || s.master < 0) {
    s.CloseLine();
    return;
  }
  s.unplugRequested = true;
  s.Wake();
  s.unplugged.wait(lock, [&s] { return !s.unplugRequested; });
}

void Simulator::AdvanceTime(double seconds) {
  std::lock_guard lock(impl_->mutex);
  if (seconds > 0) impl_->offsetMs += seconds * 1000.0;
  if (impl_->instrument) impl_->instrument->AdvanceTo(impl_->Now());
}

std::vector<std::uint8_t> Simulator::Flash(std::uint32_t address, std::size_t length) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->instrument ? impl_->instrument->Flash().Read(address, length) : std::vector<std::uint8_t>{};
}

unsigned Simulator::Configurations() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->instrument ? impl_->instrument->Configurations() : 0;
}

}  // namespace kvetral
