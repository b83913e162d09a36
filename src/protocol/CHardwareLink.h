// The one protocol engine: sends one request at a time, checks and repeats, hands accepted replies
// to the reply handler, keeps the pending-request slots and supervises time-outs on the 200 ms tick.
// What follows a reply is the handler's decision, not the engine's. Everything runs on the
// user-interface thread.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "link/CSerialWnd.h"
#include "protocol/LiveRecord.h"
#include "protocol/Reporter.h"
#include "protocol/ReplyHandler.h"
#include "base/Clock.h"

namespace mirvo {

// The side of the connection lifecycle that the engine's supervision needs.
class ILinkSupervisor {
 public:
  virtual ~ILinkSupervisor() = default;
  virtual bool PortInUse() const = 0;
  virtual void CloseHardwareLink() = 0;
};

// Counters for the command-line tool and benchmarks.
struct LinkStatistics {
  std::uint64_t requestsSent = 0;  // first sends and repeats
  std::uint64_t repeats = 0;
  std::uint64_t acceptedReplies = 0;
  std::uint64_t bytesSent = 0;
  std::uint64_t bytesReceived = 0;
};

class CHardwareLink {
 public:
  static constexpr int kSlotCount = 19;
  static constexpr int kTimeoutTicks = 22;
  static constexpr int kRetryLimit = 5;
  static constexpr int kRepeatPauseMs = 1000;
  static constexpr std::uint32_t kWriteLimitMs = 2000;
  static constexpr std::size_t kReceiveCapacity = 65535 + packet::kReadReplyOverhead;
  static constexpr std::uint32_t kWriteCheckGuardLength = 100000;

  // Pending-request slots, scanned in ascending order after the last one taken.
  enum Slot : int {
    kSlotSpectrum = 1,
    kSlotSettingsWrite = 3,
    kSlotAllWrite = 4,
    kSlotTrace = 8,
    kSlotRegisterRead = 12,
    kSlotControlWrite = 16,
  };
  // Results of the transaction entry points.
  static constexpr int kSent = 1;
  static constexpr int kAccepted = 2;
  static constexpr int kRepeated = 0;
  static constexpr int kGivenUp = -1;

  CHardwareLink(IReporter& reporter, ILiveRecord& live, ILinkSupervisor& supervisor,
                ISleeper& sleeper = DefaultSleeper());

  // The policy that decides what follows each reply; must be set before the first request.
  void SetReplyHandler(IReplyHandler* handler) { handler_ = handler; }

  CSerialMFC& Port() { return port_; }
  // The reply time-out of the request in flight in 200 ms ticks: 22, plus the whole ticks the
  // request and its reply need on the line at the port's baud rate.
  int ReplyTimeoutTicks() const;

  // Requests of the rest of the program.
  void RequestRegisterRead(unsigned start, unsigned count);
  void RequestStatusRead();
  void RequestSpectrumRead();
  void RequestTraceRead();
  void WriteAllRegisters();
  void WriteSettingsRegisters();
  void WriteControlRegisters();

  // Transport side.
  int RunWriteTransaction();
  int RunReadTransaction();
  void OnBytesReceived();
  void OnTimerTick();

  // Connect and disconnect.
  void ResetForConnect();  // pending flags cleared, busy 0, read-error 1, responding 0
  void ClearPendingRequests() { pending_.fill(false); }
  // Reads and discards what the port holds (10 bytes at a time until a read returns nothing).
  void DrainInput();

  // State read and set by other parts.
  bool Busy() const { return busy_; }
  void SetBusy(bool busy) { busy_ = busy; }
  bool Connected() const { return connected_; }
  void SetConnected(bool connected) { connected_ = connected; }
  bool Responding() const { return responding_; }
  void SetResponding(bool responding) { responding_ = responding; }
  bool ReadError() const { return readError_; }
  void SetReadError(bool readError) { readError_ = readError; }
  int RetryCounter() const { return retryCounter_; }
  void SetRetryCounter(int count) { retryCounter_ = count; }
  bool ImageUpdate() const { return imageUpdate_; }
  void SetImageUpdate(bool update) { imageUpdate_ = update; }
  bool Pending(int slot) const { return pending_.at(static_cast<std::size_t>(slot)); }
  int ScanPosition() const { return scanPosition_; }
  RequestKind Kind() const { return kind_; }
  int Countdown() const { return countdown_; }
  std::uint32_t ExpectedLength() const { return expected_; }
  std::uint32_t ReceivedCount() const { return received_; }
  const std::vector<std::uint8_t>& TransmitBuffer() const { return transmit_; }
  const LinkStatistics& Statistics() const { return stats_; }

 private:
  // A request as the table of requests describes it.
  struct WriteRequest {
    TransferBlock block;
    Slot slot;
    const char* refusal;
  };
  static const WriteRequest kAllWrite, kSettingsWrite, kControlWrite;

  bool Refuse(bool refused, const char* message);
  // Refused, or queued in its slot while busy: true when the caller must not send now.
  bool RefuseOrQueue(bool refused, const char* message, Slot slot);
  void WriteRegisters(const WriteRequest& request);
  void SendRead(std::uint32_t address, std::uint16_t byteCount, RequestKind kind);
  void SendPrepared();  // first phase: the prepared transmit buffer goes out
  void NotifyWhenReplyComplete();  // the port reports bytes once the rest of the reply is there
  void Transmit();
  int Check();  // second phase
  void Accept(bool isRead);
  void ServicePendingRequests();
  void IssueSlot(int slot);

  IReporter& reporter_;
  ILiveRecord& live_;
  ILinkSupervisor& supervisor_;
  ISleeper& sleeper_;
  IReplyHandler* handler_ = nullptr;
  CSerialMFC port_;

  std::vector<std::uint8_t> transmit_;
  std::vector<std::uint8_t> receive_;
  std::uint32_t address_ = 0;
  std::uint16_t readByteCount_ = 0;
  std::uint32_t expected_ = 0;
  std::uint32_t received_ = 0;
  int countdown_ = 0;
  bool busy_ = false;
  int retryCounter_ = 1;
  bool readError_ = false;
  RequestKind kind_ = RequestKind::kSpectrumChunk;
  bool connected_ = false;
  bool responding_ = false;
  bool imageUpdate_ = false;
  unsigned registerReadStart_ = 1;
  unsigned registerReadCount_ = 127;
  std::array<bool, kSlotCount> pending_{};
  int scanPosition_ = 0;
  LinkStatistics stats_;
};

}  // namespace mirvo
