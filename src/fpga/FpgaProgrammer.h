// The FPGA programmer: uploads a design file into the instrument's flash in 512-byte blocks, reads
// the flash back and compares it with the file, and tells the instrument to reload its FPGA. One
// request is outstanding at a time; replies arrive through OnBytesReceived (the port's listener),
// time-outs through OnTimerTick (a 100 ms timer), so nothing ever waits and Stop works at any moment.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fpga/DesignFile.h"
#include "fpga/FlashPort.h"
#include "fpga/FpgaMessageList.h"
#include "fpga/FpgaProtocol.h"

namespace mirvo::fpga {

// What the dialog, the command-line tool and the tests are told.
class IFpgaListener {
 public:
  virtual ~IFpgaListener() = default;
  // A line appended to the message list (the list itself is the programmer's).
  virtual void OnMessage(const std::string& line) = 0;
  // A message box ("Busy Receiving Data!", "Invalid or corrupted file!").
  virtual void ShowError(const std::string& text) = 0;
  virtual void OnProgressRange(std::uint64_t length, std::uint64_t step) = 0;
  virtual void OnProgress(std::uint64_t position) = 0;
  // An operation started (true) or ended (false).
  virtual void OnBusyChanged(bool busy) = 0;
  // The port stays legitimately held (the main window must not close a link it thinks idle).
  virtual void KeepPortInUse() {}
};

enum class FpgaOperation { kNone, kUpload, kVerify, kConfigure };

enum class FpgaOutcome {
  kNone,           // nothing run yet
  kRunning,
  kDone,           // uploaded, verified without differences, or configured
  kBusy,           // refused: an operation was running
  kFileRefused,    // the file could not be opened or is not a valid design
  kReplyRejected,  // a reply with a wrong echo, length or checksum
  kTimedOut,
  kVerifyErrors,   // verified, with differences
  kWriteFailed,    // a request could not be sent
  kFileFailed,     // the file could not be read during the transfer
  kStopped,
};

class FpgaProgrammer {
 public:
  static constexpr int kTimeoutTicks = 22;  // ticks of the 100 ms timer, reloaded at every send
  static constexpr int kTimerPeriodMs = 100;
  static constexpr std::uint32_t kWriteLimitMs = 1000;

  FpgaProgrammer(IFlashPort& port, IFpgaListener& listener) : port_(port), listener_(listener) {}

  // Each returns false when refused (busy, or a file that cannot be used).
  bool Upload(const std::string& path);
  bool Verify(const std::string& path);
  bool Configure();
  // Ends the running operation; a late reply is then discarded.
  void Stop();

  void OnBytesReceived();
  // A port event (the listener's word parameter): bytes received go to OnBytesReceived.
  void OnPortEvent(std::uintptr_t events);
  void OnTimerTick();

  bool Busy() const { return busy_; }
  FpgaOperation Operation() const { return operation_; }
  FpgaOutcome Outcome() const { return outcome_; }
  std::uint64_t FileLength() const { return file_.Length(); }
  std::uint64_t BlockCounter() const { return blockCounter_; }
  std::uint32_t FlashAddress() const { return flashAddress_; }
  unsigned VerifyErrors() const { return verifyErrors_; }
  int Countdown() const { return countdown_; }
  const FpgaMessageList& Messages() const { return messages_; }
  // The outcome's exit status for the command-line tool: 0 done, 2 otherwise.
  static bool Succeeded(FpgaOutcome outcome) { return outcome == FpgaOutcome::kDone; }

 private:
  void List(const std::string& line);
  bool Refuse();  // busy: the box, nothing else happens
  bool StartFileOperation(FpgaOperation operation, const std::string& path);
  bool Load(const std::string& path);
  void StartTransfer(FpgaOperation operation);
  void Send(std::span<const std::uint8_t> request, std::size_t replyLength);
  void SendUploadBlock();
  void SendVerifyRequest(std::uint16_t opcode);
  // A transfer reply whose echo (opcode, length) or checksum is wrong ends the operation.
  bool Rejected(bool echoed, std::span<const std::uint8_t> reply);
  void HandleUploadReply();
  void HandleVerifyReply();
  void HandleConfigureReply();
  void ReadComparisonBlock(std::array<std::uint8_t, kFlashBlockSize>& block);
  // Ends the operation: busy cleared, file closed, progress 0, the outcome kept. A failed upload
  // warns that the flash holds an incomplete design.
  void Finish(FpgaOutcome outcome);
  void WarnIncompleteDesign();

  IFlashPort& port_;
  IFpgaListener& listener_;
  FpgaMessageList messages_;
  DesignFile file_;
  bool withHeader_ = false;
  bool reverseOnVerify_ = false;
  FpgaOperation operation_ = FpgaOperation::kNone;
  FpgaOutcome outcome_ = FpgaOutcome::kNone;
  bool busy_ = false;
  std::vector<std::uint8_t> transmit_;
  std::array<std::uint8_t, kFlashReadReplyLength> receive_{};
  std::size_t expected_ = 0;
  std::size_t received_ = 0;
  int countdown_ = 0;
  std::uint64_t blockCounter_ = 0;
  std::uint32_t flashAddress_ = 0;
  std::uint16_t commandWord_ = kFlashWriteOpcode;
  unsigned verifyErrors_ = 0;
};

const char* OutcomeName(FpgaOutcome outcome);

}  // namespace mirvo::fpga
