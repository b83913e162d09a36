#include "link/CSerial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <algorithm>
#include <cstring>

#include "base/Clock.h"

namespace mirvo {
namespace {

struct BaudEntry {
  unsigned baud;
  speed_t speed;
};
constexpr BaudEntry kBaudTable[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

bool SpeedForBaud(unsigned baud, speed_t& speed) {
  for (const auto& e : kBaudTable)
    if (e.baud == baud) {
      speed = e.speed;
      return true;
    }
  return false;
}

long BaudForSpeed(speed_t speed) {
  for (const auto& e : kBaudTable)
    if (e.speed == speed) return static_cast<long>(e.baud);
  return 0;
}

// Ioctls that a pseudo-terminal lacks fail with ENOTTY or EINVAL; those are not errors here.
bool TolerableIoctlFailure(int e) { return e == ENOTTY || e == EINVAL; }

int Remaining(std::chrono::steady_clock::time_point deadline, std::uint32_t timeoutMs) {
  if (timeoutMs == kInfinite) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

std::vector<unsigned> SupportedBaudRates() {
  std::vector<unsigned> rates;
  for (const auto& e : kBaudTable) rates.push_back(e.baud);
  return rates;
}

bool BaudRateSupported(unsigned baud) {
  speed_t speed{};
  return SpeedForBaud(baud, speed);
}

long SerialErrorFromErrno(int e) {
  switch (e) {
    case 0: return serial_error::kSuccess;
    case ENOENT:
    case ENODEV:
    case ENXIO: return serial_error::kFileNotFound;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK: return serial_error::kAccessDenied;
    case ETIMEDOUT: return serial_error::kTimeout;
    case EINVAL: return serial_error::kInvalidArgument;
    default: return serial_error::kErrnoFlag | e;
  }
}

std::string DescribeOpenFailure(const std::string& device, int errnoValue) {
  switch (errnoValue) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return device + ": no such device (unplugged, or another port name)";
    case EACCES:
    case EPERM: return device + ": permission denied (the user may not use this port)";
    case EBUSY:
    case EWOULDBLOCK: return device + ": the port is in use by another program";
    default: return device + ": " + std::strerror(errnoValue);
  }
}

std::string DescribeSerialError(long error) {
  switch (error) {
    case serial_error::kSuccess: return "success";
    case serial_error::kInvalidFunction: return "invalid function";
    case serial_error::kFileNotFound: return "no such device";
    case serial_error::kAccessDenied: return "access denied or port in use";
    case serial_error::kNotOpen: return "port not open";
    case serial_error::kIoPending: return "operation pending";
    case serial_error::kAlreadyOpen: return "port already open";
    case serial_error::kTimeout: return "time-out";
    case serial_error::kInvalidArgument: return "invalid argument";
    default:
      if (error & serial_error::kErrnoFlag) return std::strerror(static_cast<int>(error & ~serial_error::kErrnoFlag));
      return "error " + std::to_string(error);
  }
}

CSerial::CSerial() : sleeper_(&DefaultSleeper()) {}

CSerial::~CSerial() {
  if (fd_ >= 0) {
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
  }
}

long CSerial::Open(const std::string& device, std::size_t /*inQueue*/, std::size_t /*outQueue*/, bool overlapped) {
  openFailure_.clear();
  if (fd_ >= 0) return Fail(serial_error::kAlreadyOpen);
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int e = errno;
    openFailure_ = DescribeOpenFailure(device, e);
    return Fail(SerialErrorFromErrno(e));
  }
  if (!::isatty(fd)) {
    ::close(fd);
    openFailure_ = device + ": not a serial port";
    return Fail(serial_error::kInvalidArgument);
  }
  // Exclusive among programs that take the advisory lock, and against plain opens through TIOCEXCL.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int e = errno;
    ::close(fd);
    openFailure_ = DescribeOpenFailure(device, e == EWOULDBLOCK ? EBUSY : e);
    return Fail(SerialErrorFromErrno(e == EWOULDBLOCK ? EBUSY : e));
  }
  if (::ioctl(fd, TIOCEXCL) != 0 && !TolerableIoctlFailure(errno)) {
    const int e = errno;
    ::close(fd);
    openFailure_ = DescribeOpenFailure(device, e);
    return Fail(SerialErrorFromErrno(e));
  }
  fd_ = fd;
  device_ = device;
  overlapped_ = overlapped;
  readMode_ = kReadNonblocking;
  dtrHandshake_ = false;
  eventChar_ = 0;
  eventMask_ = serial_event::kDefaultMask;
  if (const long error = ApplyDefaultConfiguration(); error != serial_error::kSuccess) {
    CSerial::Close();
    return Fail(error);
  }
  return Succeed();
}

long CSerial::ApplyDefaultConfiguration() {
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return SerialErrorFromErrno(errno);
  // Raw mode, bit by bit: no input or output processing, no echo, no signals, no canonical lines.
  tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                        IXANY | INPCK | IUCLC | IMAXBEL);
  tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, B9600);
  cfsetospeed(&tio, B9600);
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return SerialErrorFromErrno(errno);
  return serial_error::kSuccess;
}

long CSerial::Close() {
  if (fd_ < 0) return Succeed();
  ::ioctl(fd_, TIOCNXCL);
  // Output held back (by RTS/CTS, say) is discarded, not drained: close() would otherwise wait for
  // the driver's closing wait, up to 30 s, in the caller's thread.
  ::tcflush(fd_, TCOFLUSH);
  ::close(fd_);
  fd_ = -1;
  device_.clear();
  overlapped_ = false;
  return Succeed();
}

long CSerial::Setup(unsigned baudRate, DataBits dataBits, Parity parity, StopBits stopBits) {
  if (fd_ < 0) return Fail(serial_error::kNotOpen);
  speed_t speed{};
  if (!SpeedForBaud(baudRate, speed)) return Fail(serial_error::kInvalidArgument);
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return Fail(SerialErrorFromErrno(errno));
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
  switch (dataBits) {
    case DataBits::k5: tio.c_cflag |= CS5; break;
    case DataBits::k6: tio.c_cflag |= CS6; break;
    case DataBits::k7: tio.c_cflag |= CS7; break;
    case DataBits::k8: tio.c_cflag |= CS8; break;
    default: return Fail(serial_error::kInvalidArgument);
  }
  switch (parity) {
    case Parity::kNone: break;
    case Parity::kOdd: tio.c_cflag |= PARENB | PARODD; break;
    case Parity::kEven: tio.c_cflag |= PARENB; break;
    case Parity::kMark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case Parity::kSpace: tio.c_cflag |= PARENB | CMSPAR; break;
    default: return Fail(serial_error::kInvalidArgument);
  }
  // Parity checking exactly when there is a parity bit.
  if (parity == Parity::kNone)
    tio.c_iflag &= ~static_cast<tcflag_t>(INPCK);
  else
    tio.c_iflag |= INPCK;
  // The tty layer has no 1.5 stop bits; two is the nearest it offers.
  if (stopBits != StopBits::kOne) tio.c_cflag |= CSTOPB;
  // Reads return at once with what is there; writes have no driver time-out.
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return Fail(SerialErrorFromErrno(errno));
  bytesPerSecond_ = std::max(1u, baudRate / 10);
  return Succeed();
}

long CSerial::SetEventChar(std::uint8_t eventChar, bool adjustMask) {
  if (fd_ < 0) return Fail(serial_error::kNotOpen);
  eventChar_ = eventChar;
  if (adjustMask) return SetEventMask(GetEventMask() | serial_event::kRxFlag);
  return Succeed();
}

long CSerial::SetEventMask(std::uint32_t eventMask) {
  if (fd_ < 0) return Fail(serial_error::kNotOpen);
  eventMask_ = eventMask;
  OnInputConsumed();  // completes a pending event wait of the listener
  return Succeed();
}

long CSerial::CheckOverlappedArguments(const SerialOverlapped* overlapped, std::uint32_t timeoutMs) const {
  if (fd_ < 0) return serial_error::kNotOpen;
  if (!overlapped_ && (overlapped != nullptr || timeoutMs != kInfinite)) return serial_error::kInvalidFunction;
  return serial_error::kSuccess;
}

long CSerial::WaitForEvent(SerialOverlapped* overlapped, std::uint32_t timeoutMs) {
  if (const long error = CheckOverlappedArguments(overlapped, timeoutMs); error != serial_error::kSuccess)
    return Fail(error);
  const bool wantsInput = (eventMask_ & (serial_event::kRxChar | serial_event::kRxFlag)) != 0;
  pollfd pfd{fd_, static_cast<short>(wantsInput ? POLLIN : 0), 0};
  const int wait = overlapped != nullptr ? 0 : (timeoutMs == kInfinite ? -1 : static_cast<int>(timeoutMs));
  int n;
  do {
    n = ::poll(&pfd, 1, wait);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return Fail(SerialErrorFromErrno(errno));
  const std::uint32_t events = (pfd.revents & POLLIN) ? serial_event::kRxChar : 0;
  if (overlapped != nullptr) {
    overlapped->events = events;
    overlapped->result = events ? serial_error::kSuccess : serial_error::kIoPending;
    return Fail(overlapped->result);
  }
  if (n == 0) return Fail(serial_error::kTimeout);
  return Succeed();
}

long CSerial::SetHandshake(int mode) {
  if (fd_ < 0) return Fail(serial_error::kNotOpen);
  if (mode < kHandshakeOff || mode > kHandshakeRtsCts) return Fail(serial_error::kInvalidArgument);
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return Fail(SerialErrorFromErrno(errno));
  tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  int setLines = 0;
  int clearLines = 0;
  switch (mode) {
    case kHandshakeOff: clearLines = TIOCM_DTR | TIOCM_RTS; break;
    case kHandshakeHardware: tio.c_cflag |= CRTSCTS; setLines = TIOCM_DTR; break;  // the tty layer has no DSR flow control
    case kHandshakeSoftware: tio.c_iflag |= IXON | IXOFF; clearLines = TIOCM_DTR | TIOCM_RTS; break;
    case kHandshakeRtsCts: tio.c_cflag |= CRTSCTS; clearLines = TIOCM_DTR; break;
  }
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return Fail(SerialErrorFromErrno(errno));
  // Modem lines: a pseudo-terminal has none, so failures here are tolerated.
  if (setLines) ::ioctl(fd_, TIOCMBIS, &setLines);
  if (clearLines) ::ioctl(fd_, TIOCMBIC, &clearLines);
  dtrHandshake_ = mode == kHandshakeHardware;
  return Succeed();
}

long CSerial::SetReadMode(int mode) {
  if (fd_ < 0) return Fail(serial_error::kNotOpen);
  if (mode != kReadNonblocking && mode != kReadBlocking) return Fail(serial_error::kInvalidArgument);
  readMode_ = mode;
  return Succeed();
}

long CSerial::GetBaudRate() {
  if (fd_ < 0) return Fail(serial_error::kNotOpen), -1;
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return Fail(SerialErrorFromErrno(errno)), -1;
  Succeed();
  return BaudForSpeed(cfgetospeed(&tio));
}

long CSerial::GetDataBits() {
  if (fd_ < 0) return Fail(serial_error::kNotOpen), -1;
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return Fail(SerialErrorFromErrno(errno)), -1;
  Succeed();
  switch (tio.c_cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
  }
}

long CSerial::GetParity() {
  if (fd_ < 0) return Fail(serial_error::kNotOpen), -1;
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return Fail(SerialErrorFromErrno(errno)), -1;
  Succeed();
  if (!(tio.c_iflag & INPCK) || !(tio.c_cflag & PARENB)) return static_cast<long>(Parity::kNone);
  if (tio.c_cflag & CMSPAR) return static_cast<long>((tio.c_cflag & PARODD) ? Parity::kMark : Parity::kSpace);
  return static_cast<long>((tio.c_cflag & PARODD) ? Parity::kOdd : Parity::kEven);
}

long CSerial::GetStopBits() {
  if (fd_ < 0) return Fail(serial_error::kNotOpen), -1;
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return Fail(SerialErrorFromErrno(errno)), -1;
  Succeed();
  return static_cast<long>((tio.c_cflag & CSTOPB) ? StopBits::kTwo : StopBits::kOne);
}

long CSerial::GetHandshake() {
  if (fd_ < 0) return Fail(serial_error::kNotOpen), -1;
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return Fail(SerialErrorFromErrno(errno)), -1;
  Succeed();
  if (dtrHandshake_ && (tio.c_cflag & CRTSCTS)) return kHandshakeHardware;
  if ((tio.c_iflag & IXON) && (tio.c_iflag & IXOFF)) return kHandshakeSoftware;
  return kHandshakeOff;
}

std::uint32_t CSerial::GetEventMask() {
  if (fd_ < 0) return Fail(serial_error::kNotOpen), 0;
  Succeed();
  return eventMask_;
}

std::uint8_t CSerial::GetEventChar() {
  if (fd_ < 0) return Fail(serial_error::kNotOpen), 0;
  Succeed();
  return eventChar_;
}

long CSerial::WriteString(const char* text, std::size_t* written, SerialOverlapped* overlapped, std::uint32_t timeoutMs) {
  return Write(text, text ? std::strlen(text) : 0, written, overlapped, timeoutMs);
}

long CSerial::Write(const void* data, std::size_t length, std::size_t* written, SerialOverlapped* overlapped,
                    std::uint32_t timeoutMs) {
  if (written) *written = 0;
  if (const long error = CheckOverlappedArguments(overlapped, timeoutMs); error != serial_error::kSuccess)
    return Fail(error);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs == kInfinite ? 0 : timeoutMs);
  std::size_t done = 0;
  long result = serial_error::kSuccess;
  while (done < length) {
    const ssize_t n = ::write(fd_, bytes + done, length - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      result = SerialErrorFromErrno(errno);
      break;
    }
    if (overlapped != nullptr) {  // a caller's block: do what can be done now and return
      result = serial_error::kIoPending;
      break;
    }
    pollfd pfd{fd_, POLLOUT, 0};
    const int wait = Remaining(deadline, timeoutMs);
    if (wait == 0) {
      result = serial_error::kTimeout;
      break;
    }
    const int ready = ::poll(&pfd, 1, wait);
    if (ready == 0) {
      result = serial_error::kTimeout;
      break;
    }
    if (ready < 0 && errno != EINTR) {
      result = SerialErrorFromErrno(errno);
      break;
    }
    if (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) {
      result = SerialErrorFromErrno(EIO);
      break;
    }
  }
  if (result == serial_error::kTimeout) ::tcflush(fd_, TCOFLUSH);  // cancel: nothing stays pending
  if (written) *written = done;
  if (overlapped) {
    overlapped->bytes = done;
    overlapped->result = result;
  }
  return Fail(result);
}

long CSerial::Read(void* buffer, std::size_t length, std::size_t* read, SerialOverlapped* overlapped,
                   std::uint32_t timeoutMs) {
  if (read) *read = 0;
  if (const long error = CheckOverlappedArguments(overlapped, timeoutMs); error != serial_error::kSuccess)
    return Fail(error);
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs == kInfinite ? 0 : timeoutMs);
  std::size_t done = 0;
  long result = serial_error::kSuccess;
  while (done < length) {
    const ssize_t n = ::read(fd_, bytes + done, length - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EIO) {
      result = SerialErrorFromErrno(errno);
      break;
    }
    // Nothing there now (EIO: the other end of a pseudo-terminal is closed).
    if (readMode_ == kReadNonblocking || overlapped != nullptr) break;
    pollfd pfd{fd_, POLLIN, 0};
    const int wait = Remaining(deadline, timeoutMs);
    if (wait == 0) {
      result = serial_error::kTimeout;
      break;
    }
    const int ready = ::poll(&pfd, 1, wait);
    if (ready == 0) {
      result = serial_error::kTimeout;
      break;
    }
    if (ready < 0 && errno != EINTR) {
      result = SerialErrorFromErrno(errno);
      break;
    }
    if ((pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) && !(pfd.revents & POLLIN)) {
      result = SerialErrorFromErrno(EIO);
      break;
    }
  }
  if (read) *read = done;
  if (overlapped) {
    overlapped->bytes = done;
    overlapped->result = result;
  }
  OnInputConsumed();
  return Fail(result);
}

long CSerial::Purge() {
  if (fd_ < 0) return Fail(serial_error::kNotOpen);
  if (::tcflush(fd_, TCIOFLUSH) != 0) return Fail(SerialErrorFromErrno(errno));
  OnInputConsumed();
  return Succeed();
}

long CSerial::SendBreak() {
  if (fd_ < 0) return Fail(serial_error::kNotOpen);
  // A pseudo-terminal may refuse or ignore the break; that is not an error for the caller.
  ::ioctl(fd_, TIOCSBRK);
  sleeper_->SleepMilliseconds(100);
  ::ioctl(fd_, TIOCCBRK);
  return Succeed();
}

}  // namespace mirvo
