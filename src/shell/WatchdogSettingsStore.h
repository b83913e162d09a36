// The watchdog's thresholds and the autosave interval in the settings store, under
// "Mirvo-PSD/Watchdog"; a missing or out-of-range value reads as its default.
#pragma once

#include "monitor/WatchdogSettings.h"
#include "shell/SettingsStore.h"

namespace mirvo {

WatchdogSettings LoadWatchdogSettings(const ISettingsBackend& backend);
void SaveWatchdogSettings(ISettingsBackend& backend, const WatchdogSettings& settings);

}  // namespace mirvo
