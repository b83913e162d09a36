// The thresholds of the watchdog and the autosave interval, with their defaults and the names they
// are stored under ("Mirvo-PSD/Watchdog" in the settings store).
#pragma once

#include <array>
#include <cstdint>

namespace mirvo {

struct WatchdogSettings {
  int frozenSeconds = 30;          // real time not advancing while the run bit is set
  int noCountsSeconds = 60;        // no new counts after the run has counted
  int silenceSeconds = 15;         // no status reply from the instrument
  int overrunPercent = 10;         // a logged run past its preset by this share of the preset ...
  int overrunMinimumSeconds = 30;  // ... and by at least this much
  int autosaveMinutes = 10;        // 0 = no autosave
  bool operator==(const WatchdogSettings&) const = default;
};

inline constexpr const char* kWatchdogSettingsKey = "Mirvo-PSD/Watchdog";

// One stored value: its name, its range, and the field it fills.
struct WatchdogSettingField {
  const char* name;
  int minimum;
  int maximum;
  int WatchdogSettings::*field;
};

inline constexpr std::array<WatchdogSettingField, 6> kWatchdogSettingFields = {{
    {"FrozenSeconds", 5, 86400, &WatchdogSettings::frozenSeconds},
    {"NoCountsSeconds", 5, 86400, &WatchdogSettings::noCountsSeconds},
    {"SilenceSeconds", 5, 86400, &WatchdogSettings::silenceSeconds},
    {"OverrunPercent", 1, 1000, &WatchdogSettings::overrunPercent},
    {"OverrunMinimumSeconds", 1, 86400, &WatchdogSettings::overrunMinimumSeconds},
    {"AutosaveMinutes", 0, 1440, &WatchdogSettings::autosaveMinutes},
}};

}  // namespace mirvo
