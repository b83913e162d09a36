// Watches a running acquisition on the injected clock and says when something goes wrong: the real
// time stops advancing, the counting stops after it had begun, the instrument stops answering, or
// a logged run goes on well past its preset; and says when each of these is over.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "monitor/WatchdogSettings.h"

namespace mirvo {

// What one status read shows of the acquisition.
struct WatchdogReading {
  bool running = false;           // ControlWord run bit
  double realSeconds = 0.0;
  double liveSeconds = 0.0;
  std::uint64_t totalCounts = 0;  // all counts of the BUFFER spectra
  bool seriesRunning = false;     // a logged series is in progress
  int runNumber = 0;              // the logged run in progress, from 1
  double presetSeconds = 0.0;
  bool livePreset = false;
};

enum class WatchdogIncident { kTimeFrozen, kNoCounts, kSilent, kOverrun };
inline constexpr std::size_t kWatchdogIncidents = 4;

// A change of one incident: raised (a warning) or over.
struct WatchdogNotice {
  WatchdogIncident incident = WatchdogIncident::kTimeFrozen;
  bool raised = false;
  std::string text;
};

class Watchdog {
 public:
  explicit Watchdog(const IClock& clock, WatchdogSettings settings = {}) : clock_(clock), settings_(settings) {}

  void SetSettings(const WatchdogSettings& settings) { settings_ = settings; }
  const WatchdogSettings& Settings() const { return settings_; }

  // A status reply arrived. Watching begins with the first reading of a running acquisition (or
  // a logged series) and ends with one that shows neither.
  std::vector<WatchdogNotice> OnStatus(const WatchdogReading& reading);
  // The periodic check between replies; `expectingReplies` is false while nobody asks the
  // instrument (polling switched off, link closed on purpose), so its silence is no incident.
  std::vector<WatchdogNotice> OnTick(bool expectingReplies);
  // Stops watching without notices (the user disconnected or a new run is being set up).
  void Disarm();
  // Forgets that a run was affected (before a new run).
  void ClearAffected() { affected_ = false; }

  bool Watching() const { return watching_; }
  bool Active(WatchdogIncident incident) const { return active_[Index(incident)]; }
  bool AnyActive() const;
  // An incident was raised since the last ClearAffected.
  bool Affected() const { return affected_; }
  // The warnings in force, joined with "; "; empty when all is well.
  std::string StatusText() const;

 private:
  static std::size_t Index(WatchdogIncident incident) { return static_cast<std::size_t>(incident); }
  void Raise(WatchdogIncident incident, std::string text, std::vector<WatchdogNotice>& out);
  void Recover(WatchdogIncident incident, std::string text, std::vector<WatchdogNotice>& out);
  void StartWatching(const WatchdogReading& reading, std::int64_t now);
  void CheckOverrun(double elapsedSeconds, std::vector<WatchdogNotice>& out);
  std::int64_t Now() const { return clock_.UtcMilliseconds(); }

  const IClock& clock_;
  WatchdogSettings settings_;
  bool watching_ = false;
  bool affected_ = false;
  std::array<bool, kWatchdogIncidents> active_{};
  std::array<std::string, kWatchdogIncidents> texts_{};
  std::int64_t lastReplyMs_ = 0;
  // real time
  bool wasRunning_ = false;
  double lastReal_ = 0.0;
  std::int64_t lastAdvanceMs_ = 0;
  // counts
  std::uint64_t lastCounts_ = 0;
  bool counted_ = false;
  std::int64_t lastCountMs_ = 0;
  // the logged run in progress
  int runNumber_ = 0;
  bool runTimed_ = false;
  double runElapsed_ = 0.0;      // its own time (real or live, as the preset counts) at the last read
  double runRate_ = 1.0;         // own seconds per real second (live / real for a live preset)
  std::int64_t runReadMs_ = 0;   // when that read came
  double preset_ = 0.0;
};

}  // namespace mirvo
