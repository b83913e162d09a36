// The plain serial port on a Linux tty: exclusive open, line settings, handshake, non-blocking
// reads, writes with a completion limit, purge and break. Integer status results, never throws.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/SerialTypes.h"

namespace mirvo {

class ISleeper;

// The baud rates a Linux tty can be set to, ascending, and whether `baud` is one of them.
std::vector<unsigned> SupportedBaudRates();
bool BaudRateSupported(unsigned baud);

class CSerial {
 public:
  CSerial();
  virtual ~CSerial();
  CSerial(const CSerial&) = delete;
  CSerial& operator=(const CSerial&) = delete;

  // Opens the device (a tty path) for reading and writing with exclusive access. Queue sizes are
  // accepted and ignored (the tty layer has no such setting). Sets the event mask 0x00C1,
  // non-blocking reads and the default configuration (raw 8N1, no flow control, 9600 baud).
  virtual long Open(const std::string& device, std::size_t inQueue = 0, std::size_t outQueue = 0,
                    bool overlapped = false);
  virtual long Close();
  virtual long Setup(unsigned baudRate, DataBits dataBits = DataBits::k8, Parity parity = Parity::kNone,
                     StopBits stopBits = StopBits::kOne);
  // Line rate of the last Setup in bytes per second (10 bits a byte).
  unsigned BytesPerSecond() const { return bytesPerSecond_; }
  // Why the last Open failed ("<device>: the port is in use by another program"), or empty.
  const std::string& OpenFailure() const { return openFailure_; }
  virtual long SetEventChar(std::uint8_t eventChar, bool adjustMask = true);
  virtual long SetEventMask(std::uint32_t eventMask);
  // Waits for one of the masked events. With a caller's block it only looks and returns.
  virtual long WaitForEvent(SerialOverlapped* overlapped = nullptr, std::uint32_t timeoutMs = kInfinite);
  virtual long SetHandshake(int mode);
  virtual long SetReadMode(int mode);
  virtual long GetBaudRate();
  virtual long GetDataBits();
  virtual long GetParity();
  virtual long GetStopBits();
  virtual long GetHandshake();
  virtual std::uint32_t GetEventMask();
  virtual std::uint8_t GetEventChar();
  virtual long WriteString(const char* text, std::size_t* written = nullptr, SerialOverlapped* overlapped = nullptr,
                           std::uint32_t timeoutMs = kInfinite);
  virtual long Write(const void* data, std::size_t length, std::size_t* written = nullptr,
                     SerialOverlapped* overlapped = nullptr, std::uint32_t timeoutMs = kInfinite);
  virtual long Read(void* buffer, std::size_t length, std::size_t* read = nullptr,
                    SerialOverlapped* overlapped = nullptr, std::uint32_t timeoutMs = kInfinite);

  // Discards everything in the driver's input and output buffers.
  long Purge();
  // Holds the line in the break state for 100 ms, then releases it.
  long SendBreak();

  bool IsOpen() const { return fd_ >= 0; }
  long GetLastError() const { return lastError_; }
  const std::string& DeviceName() const { return device_; }
  int Handle() const { return fd_; }
  // The wait of SendBreak goes through this sleeper (tests inject one that does not sleep).
  void SetSleeper(ISleeper& sleeper) { sleeper_ = &sleeper; }

 protected:
  long Fail(long error) { return lastError_ = error; }
  long Succeed() { return lastError_ = serial_error::kSuccess; }
  // Called after the port handle has been used by Read or Purge; the listener uses it to re-arm.
  virtual void OnInputConsumed() {}
  bool Overlapped() const { return overlapped_; }
  // The event mask without touching the last error (safe from the listener thread).
  std::uint32_t CurrentEventMask() const { return eventMask_; }
 private:
  long ApplyDefaultConfiguration();
  long CheckOverlappedArguments(const SerialOverlapped* overlapped, std::uint32_t timeoutMs) const;

  int fd_ = -1;
  std::string device_;
  std::string openFailure_;
  bool overlapped_ = false;
  long lastError_ = serial_error::kSuccess;
  std::atomic<std::uint32_t> eventMask_{0};
  std::atomic<unsigned> bytesPerSecond_{960};
  std::uint8_t eventChar_ = 0;
  int readMode_ = kReadNonblocking;
  bool dtrHandshake_ = false;
  ISleeper* sleeper_;
};

}  // namespace mirvo
