// Measurement start-time stamps: the choice of the clock that stamps a start (UTC, SYSTEM or LOCAL),
// the check before every start, the wait for an even second, and the packing of the stamp into a
// date word and a time word. Where the words and the kind go in the register image is not known here.
//
// What the acquisition panel does with it:
//   on connect:          OnConnect(settings)
//   TIME STAMP button:   ChooseStartTimeKind(settings, dialog, clock), then refresh the panel
//   START, before sending: EnsureStartTimeKindChosen(settings, dialog, clock);
//                        if connected: stamp = WaitForStartStamp(settings, clock, sleeper), written
//                        into the live image; show stamp.text and settings.kindText
//   refresh from a record: StartStampText(date, time) and StartKindText(utcBit, systemBit)
#pragma once

#include <cstdint>
#include <string>

#include "base/Clock.h"

namespace mirvo {

enum class StartTimeKind { Utc, System, Local };

inline constexpr const char* kStartTimeUtcText = "START TIME: UTC";
inline constexpr const char* kStartTimeSystemText = "START TIME: SYSTEM";
inline constexpr const char* kStartTimeLocalText = "START TIME: LOCAL";
inline constexpr const char* kWaitingForStartText = "WAITING FOR START";
// A UTC choice older than this is made again before the next start.
inline constexpr std::int64_t kUtcChoiceLifetimeMs = 5 * 60 * 1000;

// The time-stamp settings the main window holds for the whole run (not stored between runs).
struct StartTimeSettings {
  bool utcFlag = false;
  bool systemFlag = false;   // at most one of the two flags is set; neither = LOCAL
  double utcOffset = 0;      // seconds added to the system clock: the NTP offset for UTC, else 0
  std::string kindText;      // one of the three "START TIME: ..." texts, empty before the first choice
  std::int64_t choiceTimeMs = 0;  // system time (UTC ms) of the last choice, 0 = none
  bool askFlag = true;       // the kind must be chosen before the next start
  StartTimeKind Kind() const {
    return utcFlag ? StartTimeKind::Utc : systemFlag ? StartTimeKind::System : StartTimeKind::Local;
  }
};

// What the "Measurement Time Stamp" dialog answers when run modally.
struct StartTimeKindChoice {
  StartTimeKind kind = StartTimeKind::System;  // also the answer when the dialog is closed otherwise
  double measuredOffset = 0;                   // the dialog's last NTP clock offset (used for Utc)
};

class IStartTimeKindDialog {
 public:
  virtual ~IStartTimeKindDialog() = default;
  virtual StartTimeKindChoice RunModal() = 0;
};

// Connecting: the first start afterwards asks for the kind again.
void OnConnect(StartTimeSettings& settings);

// Runs the dialog and records its answer; for LOCAL the process's time-zone rules are reloaded
// (they are the rules the stamps then convert with). Choice time = now, ask flag cleared.
void ChooseStartTimeKind(StartTimeSettings& settings, IStartTimeKindDialog& dialog, const IClock& clock);

// True when a start must first run ChooseStartTimeKind: the ask flag is set, or the kind is UTC and
// it was chosen more than 5 minutes ago.
bool StartTimeKindNeeded(const StartTimeSettings& settings, const IClock& clock);
// The check before every start: runs ChooseStartTimeKind when needed; returns whether it ran.
bool EnsureStartTimeKindChosen(StartTimeSettings& settings, IStartTimeKindDialog& dialog, const IClock& clock);

struct StampedStart {
  CivilTime time;            // the stamped instant, UTC (UTC and SYSTEM) or local time (LOCAL)
  std::uint16_t dateWord = 0;  // register 0x16
  std::uint16_t timeWord = 0;  // register 0x17
  std::string text;          // "%02d/%02d/%04d  %02d:%02d:%02d" for the panel and the logger
};

// Waits (through `sleeper`) for the first even second of the chosen clock after the call and returns
// its stamp: UTC for UTC and SYSTEM, converted to local time for LOCAL.
StampedStart WaitForStartStamp(const StartTimeSettings& settings, const IClock& clock, ISleeper& sleeper);

// The instant of the chosen clock now: system time + UTC offset, via the NTP timestamp arithmetic.
CivilTime StartClockTime(const StartTimeSettings& settings, const IClock& clock);

// ((year - 2000) << 4 | month) << 5 | day, the year field kept to its 7 bits.
std::uint16_t PackStartDate(const CivilTime& time);
// (hour << 6 | minute) << 5 | second / 2.
std::uint16_t PackStartTime(const CivilTime& time);
// "DD/MM/YYYY  HH:MM:SS" of the two words, or "WAITING FOR START" when the year field is 0.
std::string StartStampText(std::uint16_t dateWord, std::uint16_t timeWord);
// "START TIME: UTC" for the UTC bit, else "START TIME: SYSTEM" for the SYSTEM bit, else
// "START TIME: LOCAL".
const char* StartKindText(bool utcBit, bool systemBit);

}  // namespace mirvo
