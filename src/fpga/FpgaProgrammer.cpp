#include "fpga/FpgaProgrammer.h"

#include <cstdio>

#include "link/SerialTypes.h"
#include "protocol/Packets.h"

namespace mirvo::fpga {
namespace {

std::string Format(const char* format, auto... values) {
  char text[160];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

}  // namespace

const char* OutcomeName(FpgaOutcome outcome) {
  switch (outcome) {
    case FpgaOutcome::kNone: return "none";
    case FpgaOutcome::kRunning: return "running";
    case FpgaOutcome::kDone: return "done";
    case FpgaOutcome::kBusy: return "busy";
    case FpgaOutcome::kFileRefused: return "file refused";
    case FpgaOutcome::kReplyRejected: return "reply rejected";
    case FpgaOutcome::kTimedOut: return "timed out";
    case FpgaOutcome::kVerifyErrors: return "verify errors";
    case FpgaOutcome::kWriteFailed: return "write failed";
    case FpgaOutcome::kFileFailed: return "file failed";
    case FpgaOutcome::kStopped: return "stopped";
  }
  return "?";
}

void FpgaProgrammer::List(const std::string& line) {
  messages_.Add(line);
  listener_.OnMessage(line);
}

bool FpgaProgrammer::Refuse() {
  // The port is left alone: purging now would throw away the reply the running operation awaits.
  listener_.ShowError("Busy Receiving Data!");
  return false;
}

bool FpgaProgrammer::Load(const std::string& path) {
  const int cause = file_.Open(path);
  if (cause != file_cause::kNone) {
    List(std::string("FILE ERROR: ") + FileErrorText(cause));
    return false;
  }
  List("Open File: " + path);
  listener_.OnProgressRange(file_.Length(), file_.Length() / 15 + 1);
  listener_.OnProgress(50);
  const std::string extension = FileExtension(path);
  withHeader_ = extension == kHeaderExtension;
  reverseOnVerify_ = extension == kReversedExtension;
  if (!withHeader_) return true;
  switch (CheckHeaderFile(file_)) {
    case DesignCheck::kValid: return true;
    case DesignCheck::kHeaderInvalid: listener_.ShowError("Invalid or corrupted file!"); break;
    case DesignCheck::kReadError: List(std::string("FILE ERROR: ") + FileErrorText(file_.Failure())); break;
  }
  file_.Close();
  listener_.OnProgress(0);
  return false;
}

bool FpgaProgrammer::Upload(const std::string& path) { return StartFileOperation(FpgaOperation::kUpload, path); }

bool FpgaProgrammer::Verify(const std::string& path) { return StartFileOperation(FpgaOperation::kVerify, path); }

bool FpgaProgrammer::StartFileOperation(FpgaOperation operation, const std::string& path) {
  if (busy_) return Refuse();
  port_.Discard();
  if (!Load(path)) {
    outcome_ = FpgaOutcome::kFileRefused;
    return false;
  }
  StartTransfer(operation);
  return true;
}

void FpgaProgrammer::OnPortEvent(std::uintptr_t events) {
  if (events & serial_event::kRxChar) OnBytesReceived();
}

void FpgaProgrammer::StartTransfer(FpgaOperation operation) {
  operation_ = operation;
  outcome_ = FpgaOutcome::kRunning;
  busy_ = true;
  listener_.OnBusyChanged(true);
  List(operation == FpgaOperation::kUpload ? "Uploading..." : "Verifying...");
  blockCounter_ = kFlashBlockSize;
  verifyErrors_ = 0;
  commandWord_ = kFlashWriteOpcode;
  flashAddress_ = 0;
  file_.Rewind();
  if (withHeader_) {
    std::array<std::uint8_t, kDesignHeaderSize> raw{};
    if (file_.Read(raw) != raw.size()) {
      List(std::string("FILE ERROR: ") + FileErrorText(file_.Failure() != 0 ? file_.Failure() : file_cause::kEndOfFile));
      Finish(FpgaOutcome::kFileFailed);
      return;
    }
    const DesignHeader header = ParseDesignHeader(raw);
    commandWord_ = header.commandWord;
    flashAddress_ = header.flashAddress;
  }
  if (operation == FpgaOperation::kUpload) {
    SendUploadBlock();
  } else {
    // The first read carries the file's own command word unless it is the flash-write opcode.
    SendVerifyRequest(commandWord_ == kFlashWriteOpcode ? kFlashReadOpcode : commandWord_);
  }
}

bool FpgaProgrammer::Configure() {
  if (busy_) return Refuse();
  port_.Discard();
  operation_ = FpgaOperation::kConfigure;
  outcome_ = FpgaOutcome::kRunning;
  busy_ = true;
  listener_.OnBusyChanged(true);
  Send(BuildConfigure(ConfigureKey()), kConfigureReplyLength);
  return true;
}

void FpgaProgrammer::Send(std::span<const std::uint8_t> request, std::size_t replyLength) {
  transmit_.assign(request.begin(), request.end());
  expected_ = replyLength;
  received_ = 0;
  countdown_ = kTimeoutTicks;
  port_.ExpectReply(replyLength);
  if (!port_.Write(transmit_, kWriteLimitMs)) {
    List("Error Writing Data to Serial Port");
    Finish(FpgaOutcome::kWriteFailed);
  }
}

void FpgaProgrammer::SendUploadBlock() {
  std::array<std::uint8_t, kFlashBlockSize> data;
  data.fill(0xFF);
  file_.Read(data);
  if (file_.Failure() != file_cause::kNone) {
    List(std::string("FILE ERROR: ") + FileErrorText(file_.Failure()));
    Finish(FpgaOutcome::kFileFailed);
    return;
  }
  // A design with a header is stored bit-reversed already; any other file is reversed on the way.
  if (!withHeader_)
    for (std::uint8_t& byte : data) byte = ReverseBits(byte);
  Send(BuildFlashWrite(flashAddress_, data), kFlashWriteReplyLength);
}

void FpgaProgrammer::SendVerifyRequest(std::uint16_t opcode) {
  Send(BuildFlashRead(opcode, flashAddress_), kFlashReadReplyLength);
}

void FpgaProgrammer::OnBytesReceived() {
  if (!busy_) {
    port_.Discard();  // nothing is awaited: a late reply after Stop or a time-out goes
    return;
  }
  if (received_ < expected_) {
    received_ += port_.Read(std::span<std::uint8_t>(receive_.data() + received_, expected_ - received_));
  }
  if (received_ < expected_) {
    port_.ExpectReply(expected_ - received_);
    return;
  }
  switch (operation_) {
    case FpgaOperation::kUpload: HandleUploadReply(); break;
    case FpgaOperation::kVerify: HandleVerifyReply(); break;
    case FpgaOperation::kConfigure: HandleConfigureReply(); break;
    case FpgaOperation::kNone: break;
  }
}

bool FpgaProgrammer::Rejected(bool echoed, std::span<const std::uint8_t> reply) {
  const char* error = nullptr;
  if (!echoed)
    error = "Error Reading Data from Serial Port";
  else if (!packet::ChecksumValid(reply))
    error = "Check Sum Error Reading Data from Serial Port";
  if (error == nullptr) return false;
  List(error);
  Finish(FpgaOutcome::kReplyRejected);
  return true;
}

void FpgaProgrammer::HandleUploadReply() {
  const std::span<const std::uint8_t> reply(receive_.data(), kFlashWriteReplyLength);
  if (Rejected(packet::GetWord(reply, 2) == kFlashWriteReplyLength && packet::GetWord(reply, 0) == commandWord_, reply))
    return;
  if (blockCounter_ < file_.Length()) {
    listener_.OnProgress(blockCounter_);
    blockCounter_ += kFlashBlockSize;
    flashAddress_ += kFlashBlockSize;
    SendUploadBlock();
    return;
  }
  listener_.OnProgress(file_.Length());
  List("Writing FPGA Flash: Done!");
  List(Format("%llu Bytes Uploaded", static_cast<unsigned long long>(blockCounter_)));
  List(std::string(38, '*'));
  Finish(FpgaOutcome::kDone);
}

void FpgaProgrammer::ReadComparisonBlock(std::array<std::uint8_t, kFlashBlockSize>& block) {
  block.fill(0xFF);
  const std::size_t got = file_.Read(block);
  if (reverseOnVerify_)
    for (std::size_t i = 0; i < got; ++i) block[i] = ReverseBits(block[i]);
}

void FpgaProgrammer::HandleVerifyReply() {
  std::array<std::uint8_t, kFlashBlockSize> fileBlock;
  ReadComparisonBlock(fileBlock);
  if (file_.Failure() != file_cause::kNone) {
    List(std::string("FILE ERROR: ") + FileErrorText(file_.Failure()));
    Finish(FpgaOutcome::kFileFailed);
    return;
  }
  const std::span<const std::uint8_t> reply(receive_.data(), kFlashReadReplyLength);
  if (Rejected(packet::GetWord(reply, 0) == kFlashReadOpcode, reply)) return;
  const std::uint32_t address = packet::GetLong(reply, kFlashAddressOffset);
  for (std::size_t i = 0; i < kFlashBlockSize; ++i) {
    const std::uint8_t device = reply[kFlashReadReplyDataOffset + i];
    if (device == fileBlock[i]) continue;
    ++verifyErrors_;
    List(Format("Error address %u: file=%X device=%X", static_cast<unsigned>(address + i),
                static_cast<unsigned>(fileBlock[i]), static_cast<unsigned>(device)));
  }
  if (blockCounter_ < file_.Length()) {
    listener_.OnProgress(blockCounter_);
    flashAddress_ += kFlashBlockSize;
    blockCounter_ += kFlashBlockSize;
    SendVerifyRequest(kFlashReadOpcode);
    return;
  }
  listener_.OnProgress(file_.Length());
  List(Format("Verifyed %llu bytes...%u Errors Found!", static_cast<unsigned long long>(blockCounter_), verifyErrors_));
  List(std::string(52, '*'));
  Finish(verifyErrors_ == 0 ? FpgaOutcome::kDone : FpgaOutcome::kVerifyErrors);
}

void FpgaProgrammer::HandleConfigureReply() {
  const std::span<const std::uint8_t> reply(receive_.data(), kConfigureReplyLength);
  const char* error = nullptr;
  if (received_ < kConfigureReplyLength)
    error = "Error Reading Expected Bytes from Serial Port";
  else if (packet::GetWord(reply, 0) != kConfigureOpcode)
    error = "Error Reading Data from Serial Port";
  else if (!packet::ChecksumValid(reply))
    error = "Check Sum Error";
  if (error != nullptr) {
    List(error);
    Finish(FpgaOutcome::kReplyRejected);
    return;
  }
  List("FPGA Configured!");
  List(std::string(38, '*'));
  Finish(FpgaOutcome::kDone);
}

void FpgaProgrammer::OnTimerTick() {
  if (!busy_) return;
  if (countdown_ > 0) {
    --countdown_;
    return;
  }
  // A configure reply that came only in part is named before the time-out.
  if (operation_ == FpgaOperation::kConfigure && received_ > 0 && received_ < kConfigureReplyLength)
    List("Error Reading Expected Bytes from Serial Port");
  List(std::string(30, '~'));
  List("Error: Communication Time Out");
  List(std::string(30, '~'));
  Finish(FpgaOutcome::kTimedOut);
}

void FpgaProgrammer::Stop() {
  if (file_.IsOpen()) List("Upload/Verification Cancelled. Please, reload/verify FPGA design!");
  if (busy_) {
    Finish(FpgaOutcome::kStopped);
    return;
  }
  file_.Close();
  listener_.KeepPortInUse();
  listener_.OnProgress(0);
}

void FpgaProgrammer::WarnIncompleteDesign() {
  List("WARNING: the FPGA flash now holds an incomplete design.");
  List("Do not press Config FPGA before a successful Upload and Verify!");
}

void FpgaProgrammer::Finish(FpgaOutcome outcome) {
  const bool failedUpload = operation_ == FpgaOperation::kUpload && outcome != FpgaOutcome::kDone;
  file_.Close();
  busy_ = false;
  expected_ = 0;
  received_ = 0;
  countdown_ = 0;
  outcome_ = outcome;
  if (failedUpload) WarnIncompleteDesign();
  listener_.OnProgress(0);
  listener_.KeepPortInUse();
  listener_.OnBusyChanged(false);
}

}  // namespace mirvo::fpga
