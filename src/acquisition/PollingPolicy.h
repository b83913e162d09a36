// What the engine asks for next: it takes each accepted reply, stores what it carries (spectrum
// chunks, status words, trace blocks), runs the steps of a logged series and makes the follow-up
// requests that PollingRules decides. Owned by the connection lifecycle beside the engine.
#pragma once

#include <cstdint>
#include <functional>

#include "acquisition/AutoUpdate.h"
#include "acquisition/LoggedSeries.h"
#include "acquisition/TraceSink.h"
#include "acquisition/PollingRules.h"
#include "acquisition/RegisterRefreshChain.h"
#include "protocol/CHardwareLink.h"

namespace mirvo {

class PollingPolicy final : public IReplyHandler {
 public:
  PollingPolicy(CHardwareLink& link, ILiveRecord& live, SpectrumMemory& memory, RegisterRefreshChain& refreshChain);

  // Roles that a host may lack: without them no series is logged and no trace is read.
  void SetAutoUpdate(IAutoUpdate* autoUpdate) { autoUpdate_ = autoUpdate ? autoUpdate : &ownAutoUpdate_; }
  IAutoUpdate& AutoUpdateSwitch() { return *autoUpdate_; }
  void SetLoggedSeries(ILoggedSeries* series) { series_ = series; }
  void SetTraceSink(ITraceSink* trace) { trace_ = trace; }
  ITraceSink* TraceSink() { return trace_; }

  // IReplyHandler
  void OnReply(const AcceptedReply& reply) override;
  SpectrumChunk NextSpectrumChunk() override;
  bool TraceReadAllowed() const override { return !SeriesRunning(); }

  // State for other parts: the run bit of the last folded status read (the logger refuses to enable
  // logging while it is 1), and the logged-series step (the logger clears it when stopped by the user).
  std::uint16_t LastRunBit() const { return lastRunBit_; }
  LoggedStep Step() const { return step_; }
  void SetStep(LoggedStep step) { step_ = step; }
  unsigned ChunkStart() const { return chunkStart_; }
  // Told the start index of every spectrum chunk request as it is sent.
  void SetChunkObserver(std::function<void(unsigned chunkStart)> observer) { chunkObserver_ = std::move(observer); }

 private:
  bool AutoUpdateOn() const { return autoUpdate_->AutoUpdate(); }
  bool SeriesRunning() const { return series_ != nullptr && series_->SeriesRunning(); }
  TraceFacts Trace() const;
  void Issue(FollowUp request);
  void Issue(const FollowUps& requests);
  void OnChunk(const AcceptedReply& reply);
  void StoreSpectrumChunk(const AcceptedReply& reply);
  void OnWrite(const AcceptedReply& reply);
  void StampNextLoggedRun();
  void OnTrace(const AcceptedReply& reply);
  void OnStatus(const AcceptedReply& reply);

  CHardwareLink& link_;
  ILiveRecord& live_;
  SpectrumMemory& memory_;
  RegisterRefreshChain& refreshChain_;
  AutoUpdateFlag ownAutoUpdate_;
  IAutoUpdate* autoUpdate_ = &ownAutoUpdate_;
  ILoggedSeries* series_ = nullptr;
  ITraceSink* trace_ = nullptr;

  unsigned chunkStart_ = 0;  // of the chunk request last sent
  int chunkCounter_ = 0;
  LoggedStep step_ = LoggedStep::kNone;
  std::uint16_t lastRunBit_ = 0;
  std::uint16_t previousRunBit_ = 0;
  std::function<void(unsigned)> chunkObserver_;
};

// Register 0x10 as a write request carries it, else 0.
std::uint16_t WrittenControlWord(std::span<const std::uint8_t> writeRequest);

}  // namespace mirvo
