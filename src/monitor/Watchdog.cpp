#include "monitor/Watchdog.h"

#include <algorithm>

#include "base/TextFormat.h"

namespace mirvo {
namespace {

constexpr std::array<const char*, kWatchdogIncidents> kWatchedThing = {"the real time", "the counting",
                                                                       "the instrument's answers", "the logged run"};

int WholeSeconds(std::int64_t milliseconds) { return static_cast<int>(milliseconds / 1000); }

}  // namespace

bool Watchdog::AnyActive() const { return std::any_of(active_.begin(), active_.end(), [](bool a) { return a; }); }

std::string Watchdog::StatusText() const {
  std::string text;
  for (std::size_t i = 0; i < kWatchdogIncidents; ++i) {
    if (!active_[i]) continue;
    if (!text.empty()) text.append("; ");
    text.append(texts_[i]);
  }
  return text;
}

void Watchdog::Raise(WatchdogIncident incident, std::string text, std::vector<WatchdogNotice>& out) {
  const std::size_t i = Index(incident);
  texts_[i] = text;  // the status keeps counting the seconds; the notice goes out once
  if (active_[i]) return;
  active_[i] = true;
  affected_ = true;
  out.push_back({incident, true, std::move(text)});
}

void Watchdog::Recover(WatchdogIncident incident, std::string text, std::vector<WatchdogNotice>& out) {
  const std::size_t i = Index(incident);
  if (!active_[i]) return;
  active_[i] = false;
  texts_[i].clear();
  out.push_back({incident, false, std::move(text)});
}

void Watchdog::StartWatching(const WatchdogReading& reading, std::int64_t now) {
  watching_ = true;
  active_.fill(false);
  wasRunning_ = false;  // the first reading sets the baselines
  lastReal_ = reading.realSeconds;
  lastAdvanceMs_ = now;
  lastCounts_ = reading.totalCounts;
  lastCountMs_ = now;
  counted_ = false;
  runTimed_ = false;
}

void Watchdog::Disarm() {
  watching_ = false;
  wasRunning_ = false;
  runTimed_ = false;
  active_.fill(false);
  for (std::string& text : texts_) text.clear();
}

void Watchdog::CheckOverrun(double elapsedSeconds, std::vector<WatchdogNotice>& out) {
  if (preset_ <= 0.0) return;
  const double margin = std::max<double>(settings_.overrunMinimumSeconds, preset_ * settings_.overrunPercent / 100.0);
  if (elapsedSeconds <= preset_ + margin) return;
  Raise(WatchdogIncident::kOverrun,
        FormatText("Watchdog: logged run %d has run %d s past its preset of %d s", runNumber_,
                   static_cast<int>(elapsedSeconds - preset_), static_cast<int>(preset_)),
        out);
}

std::vector<WatchdogNotice> Watchdog::OnStatus(const WatchdogReading& r) {
  std::vector<WatchdogNotice> out;
  const std::int64_t now = Now();
  if (!watching_) {
    if (!r.running && !r.seriesRunning) return out;
    StartWatching(r, now);
  } else if (!r.running && !r.seriesRunning) {
    for (std::size_t i = 0; i < kWatchdogIncidents; ++i) {
      std::string text = "Watchdog: the acquisition has ended; ";
      text.append(kWatchedThing[i]).append(" is no longer watched");
      Recover(static_cast<WatchdogIncident>(i), std::move(text), out);
    }
    Disarm();
    return out;
  }
  lastReplyMs_ = now;
  Recover(WatchdogIncident::kSilent, "Watchdog: the instrument answers again", out);

  if (r.running) {
    // Real time: a new run or a reset sets the baseline; otherwise it must keep growing.
    if (!wasRunning_ || r.realSeconds < lastReal_) {
      lastReal_ = r.realSeconds;
      lastAdvanceMs_ = now;
    } else if (r.realSeconds > lastReal_) {
      lastReal_ = r.realSeconds;
      lastAdvanceMs_ = now;
      Recover(WatchdogIncident::kTimeFrozen, "Watchdog: the real time advances again", out);
    } else if (now - lastAdvanceMs_ >= settings_.frozenSeconds * 1000LL) {
      Raise(WatchdogIncident::kTimeFrozen,
            FormatText("Watchdog: the real time has not advanced for %d s", WholeSeconds(now - lastAdvanceMs_)), out);
    }
    // Counts: watched only once the run has counted (a run without a source may stay empty).
    if (r.totalCounts < lastCounts_) counted_ = false;
    if (!wasRunning_ || r.totalCounts < lastCounts_) {
      lastCounts_ = r.totalCounts;
      lastCountMs_ = now;
    } else if (r.totalCounts > lastCounts_) {
      lastCounts_ = r.totalCounts;
      lastCountMs_ = now;
      counted_ = true;
      Recover(WatchdogIncident::kNoCounts, "Watchdog: counting again", out);
    } else if (counted_ && now - lastCountMs_ >= settings_.noCountsSeconds * 1000LL) {
      Raise(WatchdogIncident::kNoCounts,
            FormatText("Watchdog: no new counts for %d s", WholeSeconds(now - lastCountMs_)), out);
    }
  } else {
    // Between the runs of a series neither times nor counts are expected to move.
    Recover(WatchdogIncident::kTimeFrozen, "Watchdog: the run has ended; the real time is no longer watched", out);
    Recover(WatchdogIncident::kNoCounts, "Watchdog: the run has ended; the counting is no longer watched", out);
  }

  // A logged run: its own time (real or live, as the preset counts); between reads, that time
  // carried on by the clock (a run whose replies stopped coming still overruns).
  if (r.seriesRunning && r.running) {
    if (!runTimed_ || r.runNumber != runNumber_) {
      Recover(WatchdogIncident::kOverrun, FormatText("Watchdog: logged run %d has ended", runNumber_), out);
      runNumber_ = r.runNumber;
      runTimed_ = true;
    }
    runElapsed_ = r.livePreset ? r.liveSeconds : r.realSeconds;
    runRate_ = r.livePreset && r.realSeconds > 0.0 ? std::min(1.0, r.liveSeconds / r.realSeconds) : 1.0;
    runReadMs_ = now;
    preset_ = r.presetSeconds;
    CheckOverrun(runElapsed_, out);
  } else if (runTimed_) {
    Recover(WatchdogIncident::kOverrun, FormatText("Watchdog: logged run %d has ended", runNumber_), out);
    runTimed_ = false;
  }
  wasRunning_ = r.running;
  return out;
}

std::vector<WatchdogNotice> Watchdog::OnTick(bool expectingReplies) {
  std::vector<WatchdogNotice> out;
  if (!watching_) return out;
  const std::int64_t now = Now();
  if (!expectingReplies) {
    lastReplyMs_ = now;  // silence counts from when replies are expected again
  } else if (now - lastReplyMs_ >= settings_.silenceSeconds * 1000LL) {
    Raise(WatchdogIncident::kSilent,
          FormatText("Watchdog: the instrument has not answered for %d s", WholeSeconds(now - lastReplyMs_)), out);
  }
  if (runTimed_ && wasRunning_)
    CheckOverrun(runElapsed_ + static_cast<double>(now - runReadMs_) / 1000.0 * runRate_, out);
  return out;
}

}  // namespace mirvo
