// The watchdog against scripted instrument behaviours on a fake clock: each script is a list of
// status reads and ticks, and the expected warnings and recoveries in order.
#include "monitor/Watchdog.h"

#include <gtest/gtest.h>

#include "FakeClock.h"
#include "monitor/WatchdogSettings.h"
#include "shell/WatchdogSettingsStore.h"

namespace mirvo {
namespace {

using Incident = WatchdogIncident;

// One step: the clock moves by `afterMs`, then a status read (or only a tick when `tickOnly`).
struct Step {
  int afterMs = 1000;
  bool running = true;
  double real = 0.0;
  double live = -1.0;  // -1: the same as the real time
  std::uint64_t counts = 0;
  bool tickOnly = false;
  bool expecting = true;  // for a tick: replies are expected
  bool series = false;
  int run = 1;
  double preset = 0.0;
  bool livePreset = false;
};

struct Expected {
  Incident incident;
  bool raised;
};

struct Script {
  const char* name;
  std::vector<Step> steps;
  std::vector<Expected> notices;
  bool affected;
};

// A run that counts for `seconds`, one status read a second, from a real time and counts given.
std::vector<Step> Counting(int seconds, double fromReal = 0.0, std::uint64_t fromCounts = 0) {
  std::vector<Step> steps;
  for (int i = 1; i <= seconds; ++i)
    steps.push_back({.real = fromReal + i, .counts = fromCounts + 100u * static_cast<unsigned>(i)});
  return steps;
}

std::vector<Step> Join(std::initializer_list<std::vector<Step>> parts) {
  std::vector<Step> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The same reading repeated every second for `seconds`.
std::vector<Step> Frozen(int seconds, double real, std::uint64_t counts) {
  return std::vector<Step>(static_cast<std::size_t>(seconds), Step{.real = real, .counts = counts});
}

std::vector<Step> TimeOnly(int seconds, double fromReal, std::uint64_t counts) {
  std::vector<Step> steps;
  for (int i = 1; i <= seconds; ++i) steps.push_back({.real = fromReal + i, .counts = counts});
  return steps;
}

std::vector<Step> Silence(int seconds, bool expecting = true) {
  return std::vector<Step>(static_cast<std::size_t>(seconds * 5),
                           Step{.afterMs = 200, .tickOnly = true, .expecting = expecting});
}

std::vector<Step> LoggedRun(int run, int fromSecond, int toSecond, double preset) {
  std::vector<Step> steps;
  for (int s = fromSecond; s <= toSecond; ++s)
    steps.push_back({.real = static_cast<double>(s), .counts = 10u * static_cast<unsigned>(s), .series = true,
                     .run = run, .preset = preset});
  return steps;
}

// A logged run on a live-time preset: `seconds` of real time at the given live fraction.
std::vector<Step> LiveRun(int seconds, double preset, double liveFraction) {
  std::vector<Step> steps;
  for (int s = 1; s <= seconds; ++s)
    steps.push_back({.real = static_cast<double>(s), .live = s * liveFraction, .counts = 10u * static_cast<unsigned>(s),
                     .series = true, .preset = preset, .livePreset = true});
  return steps;
}

// Defaults: frozen 30 s, no counts 60 s, silence 15 s, overrun 10 % and at least 30 s.
const std::vector<Script>& Scripts() {
  static const std::vector<Script> scripts = {
      {"a healthy run says nothing", Counting(300), {}, false},
      {"real time frozen for the threshold", Join({Counting(10), Frozen(30, 10, 1000)}),
       {{Incident::kTimeFrozen, true}}, true},
      {"real time frozen a little less than the threshold",
       Join({Counting(10), Frozen(29, 10, 1000), Counting(5, 10, 1000)}), {}, false},
      {"frozen real time recovers", Join({Counting(10), Frozen(30, 10, 1000), Counting(3, 10, 1000)}),
       {{Incident::kTimeFrozen, true}, {Incident::kTimeFrozen, false}}, true},
      {"zero throughput after counting", Join({Counting(10), TimeOnly(60, 10, 1000)}),
       {{Incident::kNoCounts, true}}, true},
      {"a run that never counted is not warned about", TimeOnly(120, 0, 0), {}, false},
      {"counting again after zero throughput", Join({Counting(10), TimeOnly(61, 10, 1000), Counting(2, 71, 1000)}),
       {{Incident::kNoCounts, true}, {Incident::kNoCounts, false}}, true},
      {"frozen times and no counts both", Join({Counting(10), Frozen(60, 10, 1000)}),
       {{Incident::kTimeFrozen, true}, {Incident::kNoCounts, true}}, true},
      {"the instrument falls silent", Join({Counting(5), Silence(15)}), {{Incident::kSilent, true}}, true},
      {"silence shorter than the threshold", Join({Counting(5), Silence(14), Counting(2, 5, 500)}), {}, false},
      {"the instrument answers again", Join({Counting(5), Silence(20), Counting(2, 25, 500)}),
       {{Incident::kSilent, true}, {Incident::kSilent, false}}, true},
      {"no replies expected (polling off) is no silence", Join({Counting(5), Silence(60, false)}), {}, false},
      {"a stopped instrument is not watched", std::vector<Step>(200, Step{.running = false}), {}, false},
      {"the run ends while frozen: the warning is withdrawn",
       Join({Counting(10), Frozen(30, 10, 1000), {Step{.running = false, .real = 10, .counts = 1000}}}),
       {{Incident::kTimeFrozen, true}, {Incident::kTimeFrozen, false}}, true},
      {"a reset during the run is a new baseline, not a frozen time",
       Join({Counting(20), Counting(20, 0, 0)}), {}, false},
      {"a logged run within its margin", LoggedRun(1, 1, 129, 100), {}, false},
      {"a logged run overrunning its preset", LoggedRun(1, 1, 135, 100), {{Incident::kOverrun, true}}, true},
      {"the overrun is over when the next run begins",
       Join({LoggedRun(1, 1, 135, 100), LoggedRun(2, 1, 3, 100)}),
       {{Incident::kOverrun, true}, {Incident::kOverrun, false}}, true},
      {"a long preset has a margin of 10 %", LoggedRun(1, 1000, 1099, 1000), {}, false},
      {"a long preset overruns past its 10 %", LoggedRun(1, 1000, 1101, 1000), {{Incident::kOverrun, true}}, true},
      {"a stalled logged run overruns on the clock alone",
       Join({LoggedRun(1, 1, 95, 100), Silence(40, false)}), {{Incident::kOverrun, true}}, true},
      {"a live-time preset with dead time is not an overrun while its live time is within",
       LiveRun(250, 100, 0.5), {}, false},
      {"a live-time preset overruns by its live time", LiveRun(300, 100, 0.9), {{Incident::kOverrun, true}}, true},
  };
  return scripts;
}

class WatchdogScripts : public ::testing::TestWithParam<std::size_t> {};

TEST_P(WatchdogScripts, GivesTheExpectedWarningsAndRecoveries) {
  const Script& script = Scripts()[GetParam()];
  SCOPED_TRACE(script.name);
  test::FakeClock clock(1'000'000);
  Watchdog dog(clock);
  std::vector<WatchdogNotice> notices;
  for (const Step& step : script.steps) {
    clock.Advance(step.afterMs);
    std::vector<WatchdogNotice> now;
    if (step.tickOnly) {
      now = dog.OnTick(step.expecting);
    } else {
      WatchdogReading reading;
      reading.running = step.running;
      reading.realSeconds = step.real;
      reading.liveSeconds = step.live < 0 ? step.real : step.live;
      reading.livePreset = step.livePreset;
      reading.totalCounts = step.counts;
      reading.seriesRunning = step.series;
      reading.runNumber = step.run;
      reading.presetSeconds = step.preset;
      now = dog.OnStatus(reading);
      auto ticks = dog.OnTick(true);
      now.insert(now.end(), ticks.begin(), ticks.end());
    }
    for (auto& notice : now) {
      EXPECT_FALSE(notice.text.empty());
      EXPECT_EQ(notice.text.find("Watchdog: "), 0u) << notice.text;
      notices.push_back(notice);
    }
  }
  ASSERT_EQ(notices.size(), script.notices.size());
  for (std::size_t i = 0; i < notices.size(); ++i) {
    EXPECT_EQ(notices[i].incident, script.notices[i].incident) << i << ": " << notices[i].text;
    EXPECT_EQ(notices[i].raised, script.notices[i].raised) << i << ": " << notices[i].text;
  }
  EXPECT_EQ(dog.Affected(), script.affected);
}

INSTANTIATE_TEST_SUITE_P(Behaviours, WatchdogScripts, ::testing::Range<std::size_t>(0, Scripts().size()));

TEST(Watchdog, StatusTextNamesTheWarningsInForceAndEmptiesOnRecovery) {
  test::FakeClock clock(0);
  Watchdog dog(clock);
  WatchdogReading reading{.running = true, .realSeconds = 1, .totalCounts = 10};
  dog.OnStatus(reading);
  reading.realSeconds = 2;
  reading.totalCounts = 20;
  clock.Advance(1000);
  dog.OnStatus(reading);
  clock.Advance(16000);
  dog.OnTick(true);
  EXPECT_EQ(dog.StatusText(), "Watchdog: the instrument has not answered for 16 s");
  clock.Advance(4000);
  EXPECT_TRUE(dog.OnTick(true).empty()) << "one notice per incident";
  EXPECT_EQ(dog.StatusText(), "Watchdog: the instrument has not answered for 20 s");
  clock.Advance(14000);
  auto notices = dog.OnStatus(reading);  // the same times after 34 s: answers, but frozen
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].text, "Watchdog: the instrument answers again");
  EXPECT_EQ(notices[1].text, "Watchdog: the real time has not advanced for 34 s");
  EXPECT_EQ(dog.StatusText(), "Watchdog: the real time has not advanced for 34 s");
  reading.realSeconds = 3;
  reading.totalCounts = 30;
  dog.OnStatus(reading);
  EXPECT_EQ(dog.StatusText(), "");
}

TEST(Watchdog, ThresholdsComeFromTheSettings) {
  test::FakeClock clock(0);
  WatchdogSettings settings;
  settings.silenceSeconds = 5;
  Watchdog dog(clock, settings);
  dog.OnStatus({.running = true, .realSeconds = 1});
  clock.Advance(5000);
  ASSERT_EQ(dog.OnTick(true).size(), 1u);
  EXPECT_TRUE(dog.Active(WatchdogIncident::kSilent));
  dog.Disarm();
  EXPECT_FALSE(dog.Watching());
  EXPECT_EQ(dog.StatusText(), "");
}

TEST(WatchdogSettingsStore, RoundTripsAndFallsBackToDefaultsForMissingOrOutOfRangeValues) {
  MemorySettingsBackend backend;
  EXPECT_EQ(LoadWatchdogSettings(backend), WatchdogSettings{});
  WatchdogSettings changed{.frozenSeconds = 45, .noCountsSeconds = 90, .silenceSeconds = 20, .overrunPercent = 25,
                           .overrunMinimumSeconds = 120, .autosaveMinutes = 0};
  SaveWatchdogSettings(backend, changed);
  EXPECT_EQ(LoadWatchdogSettings(backend), changed);
  EXPECT_EQ(backend.ReadInt("Mirvo-PSD/Watchdog", "AutosaveMinutes"), 0u);
  backend.WriteInt("Mirvo-PSD/Watchdog", "SilenceSeconds", 0xFFFFFFFFu);  // -1
  backend.WriteInt("Mirvo-PSD/Watchdog", "AutosaveMinutes", 100000);
  const WatchdogSettings loaded = LoadWatchdogSettings(backend);
  EXPECT_EQ(loaded.silenceSeconds, WatchdogSettings{}.silenceSeconds);
  EXPECT_EQ(loaded.autosaveMinutes, WatchdogSettings{}.autosaveMinutes);
  EXPECT_EQ(loaded.frozenSeconds, 45);
}

}  // namespace
}  // namespace mirvo
