// The polling policy's decisions as tables: state and reply -> the requests that follow.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/PollingRules.h"
#include "acquisition/RegisterRefreshChain.h"

namespace mirvo {
namespace {

constexpr FollowUp kNone = FollowUp::kNone;
constexpr FollowUp kChunk = FollowUp::kSpectrumRead;
constexpr FollowUp kStatus = FollowUp::kStatusRead;
constexpr FollowUp kTrace = FollowUp::kTraceRead;

struct ChunkCase {
  LoggedStep step;
  bool series;
  unsigned previous;
  unsigned start, counts;
};

TEST(PollingRules, ChunkSchedule) {
  const ChunkCase cases[] = {
      {LoggedStep::kNone, false, 0, 2050, 2050},         // 4N/8 + 2 counts, one after the other
      {LoggedStep::kNone, false, 12300, 14350, 2034},    // cut at the end of the memory: 8136 bytes
      {LoggedStep::kNone, false, 14350, 0, 2050},        // then from 0 again
      {LoggedStep::kNone, true, 0, 514, 514},            // 4N/32 + 2 while a series runs
      {LoggedStep::kNone, true, 15934, 0, 514},          // 16448 wraps
      {LoggedStep::kReadFirstHalf, true, 4100, 0, 8192},     // the end of a logged run: two halves
      {LoggedStep::kReadSecondHalf, true, 0, 8192, 8192},
      {LoggedStep::kStampNextRun, true, 514, 1028, 514},
  };
  for (const ChunkCase& c : cases) {
    const SpectrumChunk chunk = ChooseChunk(c.step, c.series, 4096, c.previous);
    EXPECT_EQ(chunk.start, c.start) << "from " << c.previous;
    EXPECT_EQ(chunk.counts, c.counts) << "from " << c.previous;
  }
}

TEST(PollingRules, AfterAChunkFourChunkReadsThenAStatusRead) {
  struct Case {
    LoggedStep step;
    bool autoUpdate;
    int counter;
    AfterChunk expected;
  };
  const Case cases[] = {
      {LoggedStep::kNone, true, 0, {kChunk, 1}},   {LoggedStep::kNone, true, 3, {kStatus, 0}},
      {LoggedStep::kNone, false, 2, {kNone, 2}},   {LoggedStep::kReadSecondHalf, false, 2, {kChunk, 2}},
      {LoggedStep::kStampNextRun, true, 3, {kChunk, 3}},
  };
  for (const Case& c : cases) EXPECT_EQ(DecideAfterChunk(c.step, c.autoUpdate, c.counter), c.expected) << c.counter;
}

TEST(PollingRules, ASecondHalfSavesTheRunAndResetsOrEndsTheSeries) {
  EXPECT_EQ(DecideLoggedChunk(LoggedStep::kReadSecondHalf, true, 1, 3), LoggedRunAction::kSaveAndReset);
  EXPECT_EQ(DecideLoggedChunk(LoggedStep::kReadSecondHalf, true, 3, 3), LoggedRunAction::kSaveAndEndSeries);
  EXPECT_EQ(DecideLoggedChunk(LoggedStep::kReadSecondHalf, false, 1, 3), LoggedRunAction::kNone);  // stopped by the user
  EXPECT_EQ(DecideLoggedChunk(LoggedStep::kReadFirstHalf, true, 1, 3), LoggedRunAction::kNone);
  EXPECT_EQ(DecideLoggedChunk(LoggedStep::kNone, true, 1, 3), LoggedRunAction::kNone);
}

TEST(PollingRules, AfterAWrite) {
  struct Case {
    const char* name;
    bool series;
    LoggedStep step;
    TraceFacts trace;
    bool traceReady;
    bool autoUpdate;
    AfterWrite expected;
  };
  const Case cases[] = {
      {"polling", false, LoggedStep::kNone, {}, false, true, {false, false, {kChunk, kNone}}},
      {"not polling", false, LoggedStep::kNone, {}, true, false, {false, false, {kNone, kNone}}},
      {"trace ready", false, LoggedStep::kNone, {true, 0}, true, true, {false, true, {kTrace, kChunk}}},
      {"trace not ready", false, LoggedStep::kNone, {true, 0}, false, true, {false, false, {kStatus, kChunk}}},
      {"single trace", false, LoggedStep::kNone, {false, 2}, false, true, {false, false, {kStatus, kNone}}},
      {"series restart", true, LoggedStep::kStampNextRun, {true, 0}, true, true, {true, false, {kNone, kNone}}},
      {"series write", true, LoggedStep::kNone, {true, 0}, true, true, {false, false, {kStatus, kNone}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecideAfterWrite(c.series, c.step, c.trace, c.traceReady, c.autoUpdate), c.expected) << c.name;
}

TEST(PollingRules, AfterATraceBlock) {
  struct Case {
    TraceFacts trace;
    bool autoUpdate;
    AfterTrace expected;
  };
  const Case cases[] = {
      {{true, 0}, true, {true, false, kChunk}},    // running viewer: shown, polling goes on
      {{true, 0}, false, {true, false, kStatus}},  // the status read asks for the next trace
      {{false, 2}, false, {false, false, kStatus}},  // the first block after a single request is dropped
      {{false, 1}, false, {true, true, kStatus}},    // the second is shown and RUN is released
      {{false, 0}, false, {false, false, kNone}},    // nobody waits for it
  };
  for (const Case& c : cases) EXPECT_EQ(DecideAfterTrace(c.trace, c.autoUpdate), c.expected);
}

TEST(PollingRules, AStatusReadFoldsWhenRefreshIsEnabledOrASeriesRuns) {
  EXPECT_TRUE(FoldsStatus(1, false));
  EXPECT_TRUE(FoldsStatus(0, true));
  EXPECT_FALSE(FoldsStatus(0, false));
  EXPECT_EQ(DecideAfterUnfoldedStatus(true, 0), kChunk);
  EXPECT_EQ(DecideAfterUnfoldedStatus(true, 1), kNone);
  EXPECT_EQ(DecideAfterUnfoldedStatus(false, 0), kNone);
}

TEST(PollingRules, AfterAFoldedStatusRead) {
  struct Case {
    const char* name;
    StatusFacts facts;
    AfterStatus expected;
  };
  StatusFacts polling;
  polling.autoUpdate = true;
  StatusFacts running = polling;
  running.runBit = 1;
  StatusFacts seriesRunEnded;
  seriesRunEnded.seriesRunning = true;
  seriesRunEnded.previousRunBit = 1;
  seriesRunEnded.runsCompleted = 1;
  seriesRunEnded.numberOfRuns = 3;
  StatusFacts seriesComplete = seriesRunEnded;
  seriesComplete.runsCompleted = 3;
  StatusFacts traceReady = polling;
  traceReady.trace = {true, 0};
  traceReady.traceReady = true;
  StatusFacts singleWaiting;
  singleWaiting.autoUpdate = true;
  singleWaiting.trace = {false, 2};
  StatusFacts stoppedNoSeries = polling;
  stoppedNoSeries.previousRunBit = 1;

  const Case cases[] = {
      {"polling", polling, {0, false, false, true, true, {kChunk, kNone}}},
      {"run bit seen", running, {1, false, false, true, true, {kChunk, kNone}}},
      {"logged run ended", seriesRunEnded, {0, true, false, false, false, {kChunk, kNone}}},
      {"last run already saved", seriesComplete, {0, false, false, false, true, {kNone, kNone}}},
      {"trace ready", traceReady, {0, false, true, true, true, {kTrace, kChunk}}},
      {"single trace waits", singleWaiting, {0, false, false, true, true, {kStatus, kNone}}},
      // An ordinary run's end clears the bit, so that a logged START cannot take it for a run end.
      {"stopped without a series", stoppedNoSeries, {0, false, false, true, true, {kChunk, kNone}}},
  };
  for (const Case& c : cases) EXPECT_EQ(DecideAfterStatus(c.facts), c.expected) << c.name;
}

class Named final : public IRegisterRefresh {
 public:
  Named(std::string name, std::vector<std::string>& order) : name_(std::move(name)), order_(order) {}
  void RefreshFromImage() override { order_.push_back(name_); }

 private:
  std::string name_;
  std::vector<std::string>& order_;
};

TEST(RegisterRefreshChain, PanelsRefreshInTheirOrderWhoeverJoinedFirst) {
  std::vector<std::string> order;
  Named window("window", order), debugger("debugger", order), shaper("shaper", order), pulseShape("psd", order),
      amplifier("amplifier", order), acquisition("acquisition", order);
  RegisterRefreshChain chain;
  using Rank = RegisterRefreshChain::Rank;
  chain.Join(Rank::kAfterPanels, window);
  chain.Join(Rank::kRegisterDebugger, debugger);
  chain.Join(Rank::kShaper, shaper);
  chain.Join(Rank::kPulseShape, pulseShape);
  chain.Join(Rank::kAmplifier, amplifier);
  chain.Join(Rank::kAcquisition, acquisition);
  chain.RefreshAll();
  EXPECT_EQ(order, (std::vector<std::string>{"acquisition", "amplifier", "psd", "shaper", "debugger", "window"}));

  order.clear();
  chain.Leave(shaper);
  chain.RefreshAll();
  EXPECT_EQ(order, (std::vector<std::string>{"acquisition", "amplifier", "psd", "debugger", "window"}));
}

}  // namespace
}  // namespace mirvo
