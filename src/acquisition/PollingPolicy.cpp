#include "acquisition/PollingPolicy.h"

#include <algorithm>
#include <array>

namespace mirvo {

PollingPolicy::PollingPolicy(CHardwareLink& link, ILiveRecord& live, SpectrumMemory& memory,
                             RegisterRefreshChain& refreshChain)
    : link_(link), live_(live), memory_(memory), refreshChain_(refreshChain) {}

TraceFacts PollingPolicy::Trace() const {
  if (trace_ == nullptr) return {};
  return {trace_->TraceRunning(), trace_->SingleTracePending()};
}

void PollingPolicy::Issue(FollowUp request) {
  switch (request) {
    case FollowUp::kSpectrumRead: link_.RequestSpectrumRead(); break;
    case FollowUp::kStatusRead: link_.RequestStatusRead(); break;
    case FollowUp::kTraceRead: link_.RequestTraceRead(); break;
    case FollowUp::kNone: break;
  }
}

void PollingPolicy::Issue(const FollowUps& requests) {
  Issue(requests.first);
  Issue(requests.second);
}

SpectrumChunk PollingPolicy::NextSpectrumChunk() {
  const SpectrumChunk chunk = ChooseChunk(step_, SeriesRunning(), SpectrumMemory::kChannels, chunkStart_);
  chunkStart_ = chunk.start;
  if (chunkObserver_) chunkObserver_(chunkStart_);
  return chunk;
}

void PollingPolicy::OnReply(const AcceptedReply& reply) {
  switch (reply.kind) {
    case RequestKind::kSpectrumChunk: OnChunk(reply); break;
    case RequestKind::kRegisterWrite: OnWrite(reply); break;
    case RequestKind::kTraceBlock: OnTrace(reply); break;
    case RequestKind::kRegisterRead: OnStatus(reply); break;
  }
}

void PollingPolicy::OnChunk(const AcceptedReply& reply) {
  StoreSpectrumChunk(reply);
  const AfterChunk after = DecideAfterChunk(step_, AutoUpdateOn(), chunkCounter_);
  chunkCounter_ = after.chunkCounter;
  Issue(after.next);
}

void PollingPolicy::StoreSpectrumChunk(const AcceptedReply& reply) {
  const std::size_t limit = SpectrumMemory::kCounts;
  if (chunkStart_ < limit)
    memory_.StoreChunk(chunkStart_, reply.data.first(std::min(reply.data.size(), 4 * (limit - chunkStart_))));

  if (series_ != nullptr && step_ == LoggedStep::kReadSecondHalf && series_->LoggingEnabled()) {
    const int completed = series_->RunsCompleted() + 1;
    series_->SetRunsCompleted(completed);
    const LoggedRunAction action =
        DecideLoggedChunk(step_, series_->LoggingEnabled(), completed, series_->NumberOfRuns());
    if (action == LoggedRunAction::kSaveAndEndSeries) {
      step_ = LoggedStep::kNone;
      series_->EndSeries();
    } else {
      RegisterImage& image = live_.Image();
      std::uint16_t& control = image[RegisterImage::kCommandHalf + reg::kControlWord];
      control &= static_cast<std::uint16_t>(~(cw::kRun | cw::kRunCompanion | cw::kResetIdle));
      control |= cw::kResetPulseA | cw::kResetPulseB;
      link_.WriteControlRegisters();  // reset between runs
    }
    series_->SaveLoggedRun(completed);
  }
  if (step_ != LoggedStep::kNone) step_ = static_cast<LoggedStep>(static_cast<int>(step_) - 1);
}

std::uint16_t WrittenControlWord(std::span<const std::uint8_t> writeRequest) {
  if (writeRequest.size() < packet::kWriteHeaderLength + 1) return 0;
  const unsigned first = (packet::GetLong(writeRequest, 4) & 0xFFFF) - packet::kRegisterBase;
  const unsigned words = static_cast<unsigned>(writeRequest.size() - packet::kWriteHeaderLength - 1) / 2;
  if (reg::kControlWord < first || reg::kControlWord >= first + words) return 0;
  return packet::GetWord(writeRequest, packet::kWriteHeaderLength + 2 * (reg::kControlWord - first));
}

void PollingPolicy::OnWrite(const AcceptedReply& reply) {
  RegisterImage& image = live_.Image();
  image.AcknowledgePulses();
  // A run of a logged series counts as running from the moment the instrument accepted the write
  // that started it, so that its end is seen even when no status read found it running (a short
  // run, or a status read lost and repeated until after the run had ended).
  const bool series = SeriesRunning();
  if (series && (WrittenControlWord(reply.request) & cw::kRun)) previousRunBit_ = 1;
  const AfterWrite after =
      DecideAfterWrite(series, step_, Trace(), (image.ControlWord() & cw::kTraceReady) != 0, AutoUpdateOn());
  if (after.clearTraceReady) image.ClearTraceReady();
  if (after.stampNextRun) StampNextLoggedRun();
  Issue(after.next);
}

void PollingPolicy::StampNextLoggedRun() {
  step_ = LoggedStep::kNone;
  RegisterImage& image = live_.Image();
  std::uint16_t& control = image[RegisterImage::kCommandHalf + reg::kControlWord];
  control &= static_cast<std::uint16_t>(~(cw::kResetPulseA | cw::kResetPulseB));
  control |= cw::kResetIdle | cw::kRun | cw::kRunCompanion;
  const StampedStart stamp = series_->StampLoggedRunStart();
  image[RegisterImage::kCommandHalf + reg::kStartDate] = stamp.dateWord;
  image[RegisterImage::kCommandHalf + reg::kStartTime] = stamp.timeWord;
  image[reg::kStartDate] = stamp.dateWord;
  image[reg::kStartTime] = stamp.timeWord;
  link_.WriteControlRegisters();
  series_->SetStartStampText(stamp.text);
}

void PollingPolicy::OnTrace(const AcceptedReply& reply) {
  const AfterTrace after = DecideAfterTrace(Trace(), AutoUpdateOn());
  if (after.releaseRunButton) trace_->ReleaseRunButton();
  if (after.show) {
    std::array<std::uint16_t, packet::kTraceByteCount / 2> words{};
    for (std::size_t i = 0; i < words.size() && 2 * i + 1 < reply.data.size(); ++i)
      words[i] = packet::GetWord(reply.data, 2 * i);
    trace_->ShowTrace(words);
  }
  Issue(after.next);
  if (trace_ != nullptr && trace_->SingleTracePending() > 0)
    trace_->SetSingleTracePending(trace_->SingleTracePending() - 1);
}

void PollingPolicy::OnStatus(const AcceptedReply& reply) {
  if (!reply.imageUpdate) return;  // a plain register read (port probe)
  const bool series = SeriesRunning();
  if (!FoldsStatus(live_.RefreshEnable(), series)) {
    Issue(DecideAfterUnfoldedStatus(AutoUpdateOn(), Trace().singlePending));
    return;
  }
  RegisterImage& image = live_.Image();
  // The words land where the request in flight read them from (not where a later queued read points).
  const unsigned start = (reply.address & 0xFFFF) - packet::kRegisterBase;
  const unsigned words = static_cast<unsigned>(reply.data.size() / 2);
  for (unsigned i = 0; i < words && start + i < RegisterImage::kCommandHalf; ++i)
    image[start + i] = packet::GetWord(reply.data, 2 * i);

  lastRunBit_ = image.ControlWord() & cw::kRun;
  StatusFacts facts;
  facts.seriesRunning = series;
  facts.runBit = lastRunBit_;
  facts.previousRunBit = previousRunBit_;
  if (series_ != nullptr) {
    facts.runsCompleted = series_->RunsCompleted();
    facts.numberOfRuns = series_->NumberOfRuns();
  }
  facts.trace = Trace();
  facts.traceReady = (image.ControlWord() & cw::kTraceReady) != 0;
  facts.autoUpdate = AutoUpdateOn();
  const AfterStatus after = DecideAfterStatus(facts);
  previousRunBit_ = after.previousRunBit;
  if (after.runEnded) {
    step_ = LoggedStep::kReadFirstHalf;  // the run ended: read both halves of the spectrum memory
    Issue(after.next);
    series_->ShowRunTimes(image);
    return;
  }
  if (after.clearTraceReady) image.ClearTraceReady();
  Issue(after.next.first);
  if (after.refreshTraceControls && trace_ != nullptr) trace_->RefreshTraceControls();
  if (after.refreshPanels) {
    refreshChain_.RefreshAll();
    image.AcknowledgePulses();
  }
  Issue(after.next.second);
}

}  // namespace mirvo
