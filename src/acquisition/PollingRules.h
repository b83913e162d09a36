// The decisions of the polling policy as pure functions of a small state: which spectrum chunk to
// read, and which requests follow each kind of reply. PollingPolicy applies them.
#pragma once

#include <cstdint>

#include "protocol/ReplyHandler.h"

namespace mirvo {

// Where a logged series stands between runs. After the run bit falls, both halves of the spectrum
// memory are read (first half, then second half); the second half's reply saves the run and writes
// the reset; that write's reply stamps and starts the next run.
enum class LoggedStep : int { kNone = 0, kStampNextRun = 1, kReadSecondHalf = 2, kReadFirstHalf = 3 };

// A request that follows a reply. Requests made while the engine is busy only mark their slots.
enum class FollowUp : std::uint8_t { kNone, kSpectrumRead, kStatusRead, kTraceRead };

// Up to two follow-up requests, in the order they are made.
struct FollowUps {
  FollowUp first = FollowUp::kNone;
  FollowUp second = FollowUp::kNone;
  bool operator==(const FollowUps&) const = default;
};

// Spectrum-memory reads of `channels` channels (4N counts): chunks of 4N/8 + 2 counts (4N/32 + 2
// while a logged series runs) one after the other, wrapping to 0, cut at the end of the memory;
// the two halves of 2N counts at the end of a logged run.
SpectrumChunk ChooseChunk(LoggedStep step, bool seriesRunning, unsigned channels, unsigned previousStart);

// After a chunk is stored (`step` as it is after the store): a logged read goes on; otherwise with
// AUTO UPDATE four chunk reads, then one status read.
struct AfterChunk {
  FollowUp next = FollowUp::kNone;
  int chunkCounter = 0;
  bool operator==(const AfterChunk&) const = default;
};
AfterChunk DecideAfterChunk(LoggedStep step, bool autoUpdate, int chunkCounter);

// What the stored chunk means for a logged series.
enum class LoggedRunAction { kNone, kSaveAndReset, kSaveAndEndSeries };
// `completed` is the run counter after this chunk was counted.
LoggedRunAction DecideLoggedChunk(LoggedStep step, bool loggingEnabled, int completed, int runs);

// The trace viewer's state as the dispatch sees it.
struct TraceFacts {
  bool running = false;
  int singlePending = 0;
  bool Tracing() const { return running || singlePending > 0; }
};

// After a register write is acknowledged.
struct AfterWrite {
  bool stampNextRun = false;  // a logged series starts its next run
  bool clearTraceReady = false;
  FollowUps next;
  bool operator==(const AfterWrite&) const = default;
};
AfterWrite DecideAfterWrite(bool seriesRunning, LoggedStep step, TraceFacts trace, bool traceReady, bool autoUpdate);

// After a trace block.
struct AfterTrace {
  bool show = false;
  bool releaseRunButton = false;
  FollowUp next = FollowUp::kNone;
  bool operator==(const AfterTrace&) const = default;
};
AfterTrace DecideAfterTrace(TraceFacts trace, bool autoUpdate);

// Whether a status read's words are folded into the live image.
bool FoldsStatus(int refreshEnable, bool seriesRunning);

// After a status read was folded: the run bit and trace-ready bit as the instrument reported them.
struct StatusFacts {
  bool seriesRunning = false;
  std::uint16_t runBit = 0;
  std::uint16_t previousRunBit = 0;
  int runsCompleted = 0;
  int numberOfRuns = 0;
  TraceFacts trace;
  bool traceReady = false;
  bool autoUpdate = false;
};
struct AfterStatus {
  std::uint16_t previousRunBit = 0;
  bool runEnded = false;  // a logged run ended: read both halves, show its times, nothing else
  bool clearTraceReady = false;
  bool refreshTraceControls = false;
  bool refreshPanels = false;  // and acknowledge the reset pulses
  FollowUps next;
  bool operator==(const AfterStatus&) const = default;
};
AfterStatus DecideAfterStatus(const StatusFacts& facts);
// A status read that was not folded only keeps the polling going.
FollowUp DecideAfterUnfoldedStatus(bool autoUpdate, int singlePending);

}  // namespace mirvo
