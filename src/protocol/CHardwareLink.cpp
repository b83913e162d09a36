#include "protocol/CHardwareLink.h"

#include <algorithm>

namespace mirvo {
namespace {
// Bytes read and discarded at most when draining the input, so that a port that never stops
// sending cannot hold the user-interface thread.
constexpr std::size_t kDrainLimit = 65536;
}  // namespace

const CHardwareLink::WriteRequest CHardwareLink::kAllWrite{kAllRegistersBlock, kSlotAllWrite, "6-Hardware not connected!"};
const CHardwareLink::WriteRequest CHardwareLink::kSettingsWrite{kSettingsRegistersBlock, kSlotSettingsWrite,
                                                                "5-Hardware not connected!"};
const CHardwareLink::WriteRequest CHardwareLink::kControlWrite{kControlRegistersBlock, kSlotControlWrite,
                                                               "5-Hardware not connected!"};

CHardwareLink::CHardwareLink(IReporter& reporter, ILiveRecord& live, ILinkSupervisor& supervisor, ISleeper& sleeper)
    : reporter_(reporter), live_(live), supervisor_(supervisor), sleeper_(sleeper), receive_(kReceiveCapacity, 0) {
  port_.SetSleeper(sleeper_);
  transmit_.reserve(265);
}

bool CHardwareLink::Refuse(bool refused, const char* message) {
  if (refused && message != nullptr) reporter_.ShowError(message);
  return refused;
}

bool CHardwareLink::RefuseOrQueue(bool refused, const char* message, Slot slot) {
  if (Refuse(refused, message)) return true;
  if (!busy_) return false;
  pending_[slot] = true;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Requests

void CHardwareLink::RequestRegisterRead(unsigned start, unsigned count) {
  if (!connected_) return;
  registerReadStart_ = start;
  registerReadCount_ = count;
  if (RefuseOrQueue(false, nullptr, kSlotRegisterRead)) return;
  SendRead(packet::RegisterReadAddress(start), static_cast<std::uint16_t>(2 * count), RequestKind::kRegisterRead);
}

void CHardwareLink::RequestStatusRead() {
  if (!connected_) return;
  imageUpdate_ = true;
  RequestRegisterRead(kStatusRegistersBlock.firstRegister, kStatusRegistersBlock.wordCount);
}

void CHardwareLink::RequestSpectrumRead() {
  if (RefuseOrQueue(!connected_, "2-Hardware not connected!", kSlotSpectrum)) return;
  const SpectrumChunk chunk = handler_->NextSpectrumChunk();
  SendRead(packet::SpectrumReadAddress(chunk.start), static_cast<std::uint16_t>(4 * chunk.counts),
           RequestKind::kSpectrumChunk);
}

void CHardwareLink::RequestTraceRead() {
  if (RefuseOrQueue(!connected_, "1-Hardware not connected!", kSlotTrace)) return;
  SendRead(packet::kTraceAddress, packet::kTraceByteCount, RequestKind::kTraceBlock);
}

void CHardwareLink::WriteAllRegisters() { WriteRegisters(kAllWrite); }
void CHardwareLink::WriteSettingsRegisters() { WriteRegisters(kSettingsWrite); }
void CHardwareLink::WriteControlRegisters() { WriteRegisters(kControlWrite); }

void CHardwareLink::WriteRegisters(const WriteRequest& request) {
  if (RefuseOrQueue(!responding_, request.refusal, request.slot)) return;
  retryCounter_ = 1;
  kind_ = RequestKind::kRegisterWrite;
  address_ = packet::RegisterWriteAddress(request.block.firstRegister);
  // The image of this moment travels, also for a write whose slot was taken late.
  transmit_ = packet::BuildWriteRequest(address_, live_.Image().Block(request.block));
  SendPrepared();
  live_.SetRefreshEnable(1);
}

void CHardwareLink::SendRead(std::uint32_t address, std::uint16_t byteCount, RequestKind kind) {
  retryCounter_ = 1;
  kind_ = kind;
  address_ = address;
  readByteCount_ = byteCount;
  const auto packet = packet::BuildReadRequest(address, byteCount);
  transmit_.assign(packet.begin(), packet.end());
  SendPrepared();
}

// ---------------------------------------------------------------------------------------------
// Transactions

void CHardwareLink::SendPrepared() {
  if (retryCounter_ == kRetryLimit) return;
  expected_ = static_cast<std::uint32_t>(packet::ExpectedReplyLength(transmit_));
  received_ = 0;
  busy_ = true;
  countdown_ = ReplyTimeoutTicks();
  NotifyWhenReplyComplete();
  Transmit();
}

int CHardwareLink::ReplyTimeoutTicks() const {
  // The 22 ticks are the margin beyond the time the request and its reply need on the line: at
  // 9600 baud a full spectrum chunk alone takes about 8.5 s. Whole ticks of line time only, so
  // that at the usual rates (a chunk in under 0.2 s) the time-out is the 22 ticks it always was.
  constexpr std::uint64_t kTickMs = 200;
  const std::uint64_t bytes = transmit_.size() + expected_;
  const std::uint64_t lineMs = bytes * 1000 / std::max(1u, port_.BytesPerSecond());
  return kTimeoutTicks + static_cast<int>(lineMs / kTickMs);
}

void CHardwareLink::NotifyWhenReplyComplete() {
  // At most half the tty's 4 KiB line buffer: a fuller buffer throttles the sender, so waiting for
  // more would only stall the line.
  constexpr std::size_t kMaxNotifyBytes = 2048;
  const std::uint32_t remaining = expected_ > received_ ? expected_ - received_ : 1;
  port_.SetNotifyThreshold(std::min<std::size_t>(remaining, kMaxNotifyBytes));
}

void CHardwareLink::Transmit() {
  std::size_t written = 0;
  port_.Write(transmit_.data(), transmit_.size(), &written, nullptr, kWriteLimitMs);
  ++stats_.requestsSent;
  stats_.bytesSent += written;
}

int CHardwareLink::RunWriteTransaction() {
  if (received_ == 0) {
    if (retryCounter_ == kRetryLimit) return kGivenUp;
    SendPrepared();
    return kSent;
  }
  return Check();
}

// Both phases look at the opcode in the transmit buffer, so a read runs exactly as a write does.
int CHardwareLink::RunReadTransaction() { return RunWriteTransaction(); }

void CHardwareLink::DrainInput() {
  std::uint8_t scratch[10];
  std::size_t got = 0;
  for (std::size_t total = 0; total < kDrainLimit; total += got) {
    if (port_.Read(scratch, sizeof scratch, &got) != serial_error::kSuccess || got == 0) break;
  }
}

int CHardwareLink::Check() {
  if (retryCounter_ == kRetryLimit) return kGivenUp;
  const bool isRead = transmit_.size() >= 2 && packet::GetWord(transmit_, 0) == packet::kReadOpcode;
  packet::ReplyCheck verdict;
  if (isRead) {
    verdict = packet::CheckReadReply(transmit_, receive_, received_);
  } else {
    // Bytes that follow a write reply must not start another check before the next request.
    if (received_ >= 4 && packet::GetWord(receive_, 2) == packet::kWriteReplyLength) expected_ = kWriteCheckGuardLength;
    verdict = packet::CheckWriteReply(transmit_, receive_, received_);
  }

  if (verdict == packet::ReplyCheck::Accepted) {
    Accept(isRead);
    return kAccepted;
  }

  if (isRead) readError_ = true;
  ++retryCounter_;
  if (retryCounter_ < kRetryLimit) {
    reporter_.AddLine(isRead ? "Repeat Read Command" : "Repeat Write Command");
    sleeper_.SleepMilliseconds(kRepeatPauseMs);
    port_.Purge();
    DrainInput();
    received_ = 0;
    busy_ = true;
    if (isRead)
      readError_ = true;
    else
      expected_ = packet::kWriteReplyLength;
    countdown_ = ReplyTimeoutTicks();
    ++stats_.repeats;
    NotifyWhenReplyComplete();
    Transmit();  // byte for byte the request that failed
    return kRepeated;
  }
  reporter_.AddLine(isRead ? "Max Number of Repeat Read Reached" : " Max Number of Repeat Write Reached");
  retryCounter_ = kRetryLimit;
  responding_ = false;
  return kGivenUp;
}

// An accepted reply: status values kept, the handler decides what follows (its requests only mark
// their slots, the engine being busy), then the engine is idle and takes one pending request.
void CHardwareLink::Accept(bool isRead) {
  ++stats_.acceptedReplies;
  AcceptedReply reply;
  reply.kind = kind_;
  reply.address = address_;
  reply.request = transmit_;
  if (isRead) {
    readError_ = false;
    live_.StoreStatus(packet::ParseStatusBlock(std::span<const std::uint8_t>(receive_).first(packet::kReadDataOffset)));
    reply.data = std::span<const std::uint8_t>(receive_).subspan(packet::kReadDataOffset, readByteCount_);
  }
  if (kind_ == RequestKind::kRegisterRead) {
    reply.imageUpdate = imageUpdate_;
    imageUpdate_ = false;
  }
  responding_ = true;
  handler_->OnReply(reply);
  readError_ = false;
  busy_ = false;
  ServicePendingRequests();
}

void CHardwareLink::OnBytesReceived() {
  if (!port_.IsOpen()) return;
  if (!busy_) {
    // Nothing is awaited: bytes now are not the reply to anything and must not be checked as one.
    DrainInput();
    return;
  }
  std::size_t want = expected_ > received_ ? expected_ - received_ : 0;
  want = std::min<std::size_t>(want, received_ < kReceiveCapacity ? kReceiveCapacity - received_ : 0);
  if (want == 0) return;
  std::size_t got = 0;
  port_.Read(receive_.data() + received_, want, &got);
  received_ += static_cast<std::uint32_t>(got);
  stats_.bytesReceived += got;
  NotifyWhenReplyComplete();
  if (received_ >= expected_) {
    Check();
    received_ = 0;
  }
}

void CHardwareLink::OnTimerTick() {
  if (busy_) {
    if (countdown_ > 0) {
      --countdown_;
      return;
    }
    if (received_ == 0) received_ = expected_ - 1;  // the length test must fail
    countdown_ = ReplyTimeoutTicks();
    if (Check() == kGivenUp) {
      countdown_ = 0;
      busy_ = false;
      readError_ = true;
      received_ = 0;
      reporter_.AddLine("Communication Time Out- Timer");
      supervisor_.CloseHardwareLink();
    }
    return;
  }
  if (responding_ && !supervisor_.PortInUse()) supervisor_.CloseHardwareLink();
}

void CHardwareLink::ResetForConnect() {
  ClearPendingRequests();
  busy_ = false;
  readError_ = true;
  responding_ = false;
  retryCounter_ = 1;
  received_ = 0;
}

// ---------------------------------------------------------------------------------------------
// Pending requests

void CHardwareLink::ServicePendingRequests() {
  for (int looked = 0; looked < kSlotCount; ++looked) {
    scanPosition_ = (scanPosition_ + 1) % kSlotCount;
    if (pending_[static_cast<std::size_t>(scanPosition_)]) {
      pending_[static_cast<std::size_t>(scanPosition_)] = false;
      IssueSlot(scanPosition_);
      return;
    }
  }
}

void CHardwareLink::IssueSlot(int slot) {
  switch (slot) {
    case kSlotSpectrum: RequestSpectrumRead(); break;
    case kSlotSettingsWrite: WriteSettingsRegisters(); break;
    case kSlotAllWrite: WriteAllRegisters(); break;
    case kSlotTrace:
      if (handler_->TraceReadAllowed()) RequestTraceRead();
      break;
    case kSlotRegisterRead: RequestRegisterRead(registerReadStart_, registerReadCount_); break;
    case kSlotControlWrite: WriteControlRegisters(); break;
    default: break;
  }
}

}  // namespace mirvo
