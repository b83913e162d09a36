#include "acquisition/PollingRules.h"

namespace mirvo {

SpectrumChunk ChooseChunk(LoggedStep step, bool seriesRunning, unsigned channels, unsigned previousStart) {
  const unsigned total = 4 * channels;
  unsigned chunk = 0;
  unsigned start = previousStart;
  if (step == LoggedStep::kReadFirstHalf) {
    chunk = 2 * channels;
    start = 0;
  } else if (step == LoggedStep::kReadSecondHalf) {
    chunk = 2 * channels;
    start = 2 * channels;
  } else {
    chunk = seriesRunning ? total / 32 + 2 : total / 8 + 2;
    start += chunk;
  }
  if (start >= total) start = 0;
  return {start, start + chunk > total ? total - start : chunk};
}

AfterChunk DecideAfterChunk(LoggedStep step, bool autoUpdate, int chunkCounter) {
  if (step != LoggedStep::kNone) return {FollowUp::kSpectrumRead, chunkCounter};
  if (!autoUpdate) return {FollowUp::kNone, chunkCounter};
  if (++chunkCounter > 3) return {FollowUp::kStatusRead, 0};
  return {FollowUp::kSpectrumRead, chunkCounter};
}

LoggedRunAction DecideLoggedChunk(LoggedStep step, bool loggingEnabled, int completed, int runs) {
  if (step != LoggedStep::kReadSecondHalf || !loggingEnabled) return LoggedRunAction::kNone;
  return completed == runs ? LoggedRunAction::kSaveAndEndSeries : LoggedRunAction::kSaveAndReset;
}

namespace {
// While tracing: a ready trace is read, else the status is read until it is.
FollowUp TraceOrStatus(bool traceReady) { return traceReady ? FollowUp::kTraceRead : FollowUp::kStatusRead; }
}  // namespace

AfterWrite DecideAfterWrite(bool seriesRunning, LoggedStep step, TraceFacts trace, bool traceReady, bool autoUpdate) {
  AfterWrite after;
  if (seriesRunning) {
    if (step == LoggedStep::kStampNextRun)
      after.stampNextRun = true;
    else
      after.next.first = FollowUp::kStatusRead;
    return after;
  }
  if (trace.Tracing()) {
    after.clearTraceReady = traceReady;
    after.next.first = TraceOrStatus(traceReady);
  }
  if (autoUpdate && trace.singlePending <= 0) {
    (after.next.first == FollowUp::kNone ? after.next.first : after.next.second) = FollowUp::kSpectrumRead;
  }
  return after;
}

AfterTrace DecideAfterTrace(TraceFacts trace, bool autoUpdate) {
  AfterTrace after;
  after.show = trace.running || trace.singlePending == 1;
  after.releaseRunButton = after.show && trace.singlePending > 0;
  if (autoUpdate)
    after.next = FollowUp::kSpectrumRead;
  else if (trace.Tracing())
    after.next = FollowUp::kStatusRead;
  return after;
}

bool FoldsStatus(int refreshEnable, bool seriesRunning) { return refreshEnable != 0 || seriesRunning; }

FollowUp DecideAfterUnfoldedStatus(bool autoUpdate, int singlePending) {
  return autoUpdate && singlePending <= 0 ? FollowUp::kSpectrumRead : FollowUp::kNone;
}

AfterStatus DecideAfterStatus(const StatusFacts& facts) {
  AfterStatus after;
  after.previousRunBit = facts.previousRunBit;
  if (facts.runBit == 1) {
    after.previousRunBit = 1;
  } else if (!facts.seriesRunning) {
    // The end of an ordinary run, or an instrument found stopped: the bit describes no run of a
    // series, and a status read still in flight when a logged START is pressed is no run end.
    after.previousRunBit = 0;
  } else if (facts.previousRunBit == 1) {
    after.previousRunBit = 0;
    if (facts.runsCompleted < facts.numberOfRuns) {
      after.runEnded = true;
      after.next.first = FollowUp::kSpectrumRead;
      return after;
    }
  }
  if (facts.trace.Tracing() && !facts.seriesRunning) {
    after.clearTraceReady = facts.traceReady;
    after.next.first = TraceOrStatus(facts.traceReady);
  }
  after.refreshTraceControls = !facts.seriesRunning;
  after.refreshPanels = true;
  if (const FollowUp more = DecideAfterUnfoldedStatus(facts.autoUpdate, facts.trace.singlePending);
      more != FollowUp::kNone) {
    (after.next.first == FollowUp::kNone ? after.next.first : after.next.second) = more;
  }
  return after;
}

}  // namespace mirvo
