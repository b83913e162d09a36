#include "shell/WatchdogSettingsStore.h"

namespace mirvo {

WatchdogSettings LoadWatchdogSettings(const ISettingsBackend& backend) {
  WatchdogSettings settings;
  for (const WatchdogSettingField& field : kWatchdogSettingFields) {
    const auto stored = backend.ReadInt(kWatchdogSettingsKey, field.name);
    if (!stored) continue;
    const auto value = static_cast<std::int32_t>(*stored);
    if (value >= field.minimum && value <= field.maximum) settings.*field.field = value;
  }
  return settings;
}

void SaveWatchdogSettings(ISettingsBackend& backend, const WatchdogSettings& settings) {
  for (const WatchdogSettingField& field : kWatchdogSettingFields)
    backend.WriteInt(kWatchdogSettingsKey, field.name, static_cast<std::uint32_t>(settings.*field.field));
}

}  // namespace mirvo
