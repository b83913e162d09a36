#include "protocol/CHardwareLink.h"

#include <algorithm>

namespace mirvo {
namespace {
// Bytes read and discarded at most when draining the input, so that a port that never stops
// sending cannot hold the user-interface thread.
constexpr std::size_t kDrainLimit = 65536;
}  // namespace

CHardwareLink::CHardwareLink(ILinkHost& host, ILinkSupervisor& supervisor, ISleeper& sleeper)
    : host_(host), supervisor_(supervisor), sleeper_(sleeper), receive_(kReceiveCapacity, 0) {
  port_.SetSleeper(sleeper_);
  transmit_.reserve(265);
}

bool CHardwareLink::Refuse(bool refused, const char* message) {
  if (refused && message != nullptr) host_.ShowError(message);
  return refused;
}

// ---------------------------------------------------------------------------------------------
// Requests

void CHardwareLink::RequestRegisterRead(unsigned start, unsigned count) {
  if (!connected_) return;
  registerReadStart_ = start;
  registerReadCount_ = count;
  if (busy_) {
    pending_[kSlotRegisterRead] = true;
    return;
  }
  SendRead(packet::RegisterReadAddress(start), static_cast<std::uint16_t>(2 * count), kRegisterRead);
}

void CHardwareLink::RequestStatusRead() {
  if (!connected_) return;
  imageUpdate_ = true;
  RequestRegisterRead(kStatusRegistersBlock.firstRegister, kStatusRegistersBlock.wordCount);
}

void CHardwareLink::RequestSpectrumRead() {
  if (Refuse(!connected_, "2-Hardware not connected!")) return;
  if (busy_) {
    pending_[kSlotSpectrum] = true;
    return;
  }
  const unsigned channels = host_.ChannelCount();
  const unsigned total = 4 * channels;
  unsigned chunk;
  if (loggedStep_ == 3) {
    chunk = 2 * channels;
    chunkStart_ = 0;
  } else if (loggedStep_ == 2) {
    chunk = 2 * channels;
    chunkStart_ = 2 * channels;
  } else {
    chunk = host_.LoggedSeriesRunning() ? total / 32 + 2 : total / 8 + 2;
    chunkStart_ += chunk;
  }
  if (chunkStart_ >= total) chunkStart_ = 0;
  const unsigned counts = chunkStart_ + chunk > total ? total - chunkStart_ : chunk;
  if (chunkObserver_) chunkObserver_(chunkStart_);
  SendRead(packet::SpectrumReadAddress(chunkStart_), static_cast<std::uint16_t>(4 * counts), kSpectrumChunk);
}

void CHardwareLink::RequestTraceRead() {
  if (Refuse(!connected_, "1-Hardware not connected!")) return;
  if (busy_) {
    pending_[kSlotTrace] = true;
    return;
  }
  SendRead(packet::kTraceAddress, packet::kTraceByteCount, kTraceBlock);
}

void CHardwareLink::WriteAllRegisters() {
  if (Refuse(!responding_, "6-Hardware not connected!")) return;
  if (busy_) {
    pending_[kSlotAllWrite] = true;
    return;
  }
  SendWrite(kAllRegistersBlock, packet::RegisterWriteAddress(kAllRegistersBlock.firstRegister));
}

void CHardwareLink::WriteSettingsRegisters() {
  if (Refuse(!responding_, "5-Hardware not connected!")) return;
  if (busy_) {
    pending_[kSlotSettingsWrite] = true;
    return;
  }
  SendWrite(kSettingsRegistersBlock, packet::RegisterWriteAddress(kSettingsRegistersBlock.firstRegister));
}

void CHardwareLink::WriteControlRegisters() {
  if (Refuse(!responding_, "5-Hardware not connected!")) return;
  if (busy_) {
    pending_[kSlotControlWrite] = true;
    return;
  }
  SendWrite(kControlRegistersBlock, packet::RegisterWriteAddress(kControlRegistersBlock.firstRegister));
}

int CHardwareLink::SendWrite(const TransferBlock& block, std::uint32_t address) {
  retryCounter_ = 1;
  kind_ = kRegisterWrite;
  address_ = address;
  // The image of this moment travels, also for a write whose slot was taken late.
  transmit_ = packet::BuildWriteRequest(address, host_.LiveImage().Block(block));
  writeByteCount_ = static_cast<std::uint16_t>(block.ByteCount());
  SendPrepared();
  host_.SetRefreshEnable(1);
  return kSent;
}

void CHardwareLink::SendRead(std::uint32_t address, std::uint16_t byteCount, int kind) {
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
  countdown_ = kTimeoutTicks;
  NotifyWhenReplyComplete();
  Transmit();
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
    ++stats_.acceptedReplies;
    if (isRead) {
      readError_ = false;
      host_.StoreStatus(packet::ParseStatusBlock(std::span<const std::uint8_t>(receive_).first(packet::kReadDataOffset)));
    }
    DispatchReply();
    return kAccepted;
  }

  if (isRead) readError_ = true;
  ++retryCounter_;
  if (retryCounter_ < kRetryLimit) {
    host_.AddLine(isRead ? "Repeat Read Command" : "Repeat Write Command");
    sleeper_.SleepMilliseconds(kRepeatPauseMs);
    port_.Purge();
    DrainInput();
    received_ = 0;
    busy_ = true;
    countdown_ = kTimeoutTicks;
    if (isRead)
      readError_ = true;
    else
      expected_ = packet::kWriteReplyLength;
    ++stats_.repeats;
    NotifyWhenReplyComplete();
    Transmit();  // byte for byte the request that failed
    return kRepeated;
  }
  host_.AddLine(isRead ? "Max Number of Repeat Read Reached" : " Max Number of Repeat Write Reached");
  retryCounter_ = kRetryLimit;
  responding_ = false;
  return kGivenUp;
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
    countdown_ = kTimeoutTicks;
    if (Check() == kGivenUp) {
      countdown_ = 0;
      busy_ = false;
      readError_ = true;
      received_ = 0;
      host_.AddLine("Communication Time Out- Timer");
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
// Dispatch

void CHardwareLink::DispatchReply() {
  responding_ = true;
  switch (kind_) {
    case kSpectrumChunk: DispatchChunk(); break;
    case kRegisterWrite: DispatchWrite(); break;
    case kTraceBlock: DispatchTrace(); break;
    case kRegisterRead: DispatchRegisterRead(); break;
    default: break;
  }
  readError_ = false;
  busy_ = false;
  ServicePendingRequests();
}

void CHardwareLink::DispatchChunk() {
  StoreSpectrumChunk();
  if (loggedStep_ != 0) {
    RequestSpectrumRead();
  } else if (host_.AutoUpdate()) {
    if (++chunkCounter_ > 3) {
      chunkCounter_ = 0;
      RequestStatusRead();
    } else {
      RequestSpectrumRead();
    }
  }
}

void CHardwareLink::StoreSpectrumChunk() {
  const auto data = std::span<const std::uint8_t>(receive_).subspan(packet::kReadDataOffset, readByteCount_);
  const std::size_t limit = std::min<std::size_t>(SpectrumMemory::kCounts, 4u * host_.ChannelCount());
  if (chunkStart_ < limit) host_.Memory().StoreChunk(chunkStart_, data.first(std::min(data.size(), 4 * (limit - chunkStart_))));

  if (loggedStep_ == 2 && host_.LoggingEnabled()) {
    const int runCounter = host_.RunCounter() + 1;
    host_.SetRunCounter(runCounter);
    if (runCounter == host_.NumberOfRuns()) {
      host_.SetLoggedSeriesRunning(false);
      host_.SetLoggingEnabled(false);
      loggedStep_ = 0;
      host_.RefreshAcquisitionPanel();
    } else {
      std::uint16_t& control = host_.LiveImage()[RegisterImage::kCommandHalf + reg::kControlWord];
      control &= static_cast<std::uint16_t>(~(cw::kRun | cw::kRunCompanion | cw::kResetIdle));
      control |= cw::kResetPulseA | cw::kResetPulseB;
      WriteControlRegisters();  // reset between runs
    }
    host_.SaveLoggedRun(runCounter);
  }
  if (loggedStep_ != 0) --loggedStep_;
}

void CHardwareLink::DispatchWrite() {
  RegisterImage& image = host_.LiveImage();
  image.AcknowledgePulses();
  // A run of a logged series counts as running from the moment the instrument accepted the write
  // that started it, so that its end is seen even when no status read found it running (a short
  // run, or a status read lost and repeated until after the run had ended).
  if (host_.LoggedSeriesRunning() && (WrittenControlWord() & cw::kRun)) previousRunBit_ = 1;
  const bool tracing = host_.TraceViewerRunning() || host_.SingleTracePending() > 0;
  if (!host_.LoggedSeriesRunning()) {
    if (tracing) {
      if (image.ControlWord() & cw::kTraceReady) {
        image.ClearTraceReady();
        RequestTraceRead();
      } else {
        RequestStatusRead();
      }
    }
    if (host_.AutoUpdate() && host_.SingleTracePending() <= 0) RequestSpectrumRead();
  } else if (loggedStep_ == 1) {
    StampNextLoggedRun();
  } else {
    RequestStatusRead();
  }
}

std::uint16_t CHardwareLink::WrittenControlWord() const {
  const unsigned first = (address_ & 0xFFFF) - packet::kRegisterBase;
  const unsigned words = writeByteCount_ / 2u;
  if (reg::kControlWord < first || reg::kControlWord >= first + words) return 0;
  return packet::GetWord(transmit_, packet::kWriteHeaderLength + 2 * (reg::kControlWord - first));
}

void CHardwareLink::StampNextLoggedRun() {
  loggedStep_ = 0;
  RegisterImage& image = host_.LiveImage();
  std::uint16_t& control = image[RegisterImage::kCommandHalf + reg::kControlWord];
  control &= static_cast<std::uint16_t>(~(cw::kResetPulseA | cw::kResetPulseB));
  control |= cw::kResetIdle | cw::kRun | cw::kRunCompanion;
  const StartStamp stamp = host_.StampLoggedRunStart();
  image[RegisterImage::kCommandHalf + reg::kStartDate] = stamp.date;
  image[RegisterImage::kCommandHalf + reg::kStartTime] = stamp.time;
  image[reg::kStartDate] = stamp.date;
  image[reg::kStartTime] = stamp.time;
  WriteControlRegisters();
  host_.SetStartTimeText(stamp.text);
}

void CHardwareLink::DispatchTrace() {
  const int single = host_.SingleTracePending();
  if (host_.TraceViewerRunning() || single == 1) {
    if (single > 0) host_.ReleaseTraceRunButton();
    std::array<std::uint16_t, packet::kTraceByteCount / 2> words{};
    for (std::size_t i = 0; i < words.size(); ++i) words[i] = packet::GetWord(receive_, packet::kReadDataOffset + 2 * i);
    host_.ShowTrace(words);
  }
  if (host_.AutoUpdate())
    RequestSpectrumRead();
  else if (host_.TraceViewerRunning() || single > 0)
    RequestStatusRead();
  if (host_.SingleTracePending() > 0) host_.SetSingleTracePending(host_.SingleTracePending() - 1);
}

void CHardwareLink::DispatchRegisterRead() {
  if (!imageUpdate_) return;  // a plain register read (port probe)
  imageUpdate_ = false;
  RegisterImage& image = host_.LiveImage();
  const bool logged = host_.LoggedSeriesRunning();
  if (host_.RefreshEnable() != 0 || logged) {
    // The words land where the request in flight read them from (not where a later queued read points).
    const unsigned start = (address_ & 0xFFFF) - packet::kRegisterBase;
    const unsigned words = readByteCount_ / 2;
    for (unsigned i = 0; i < words && start + i < RegisterImage::kCommandHalf; ++i)
      image[start + i] = packet::GetWord(receive_, packet::kReadDataOffset + 2 * i);

    lastRunBit_ = image.ControlWord() & cw::kRun;
    if (lastRunBit_ == 1) {
      previousRunBit_ = 1;
    } else if (logged && previousRunBit_ == 1) {
      previousRunBit_ = 0;
      if (host_.RunCounter() < host_.NumberOfRuns()) {
        loggedStep_ = 3;  // the run ended: read both halves of the spectrum memory
        RequestSpectrumRead();
        ReadRealLiveTime();
        return;
      }
    }
    const bool tracing = host_.TraceViewerRunning() || host_.SingleTracePending() > 0;
    if (tracing && !logged) {
      if (image.ControlWord() & cw::kTraceReady) {
        image.ClearTraceReady();
        RequestTraceRead();
      } else {
        RequestStatusRead();
      }
    }
    if (!logged) host_.RefreshTraceControls();
    host_.RefreshPanelsFromImage();
    image.AcknowledgePulses();
  }
  if (host_.AutoUpdate() && host_.SingleTracePending() <= 0) RequestSpectrumRead();
}

void CHardwareLink::ReadRealLiveTime() {
  const RegisterImage& image = host_.LiveImage();
  host_.SetRealLiveTime(RealTimeSeconds(image, host_.SamplePeriodUs()), LiveTimeSeconds(image, host_.SamplePeriodUs()));
}

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
      if (!host_.LoggedSeriesRunning()) RequestTraceRead();
      break;
    case kSlotRegisterRead: RequestRegisterRead(registerReadStart_, registerReadCount_); break;
    case kSlotControlWrite: WriteControlRegisters(); break;
    default: break;
  }
}

}  // namespace mirvo
