// What the settings keep of the background: the overlay colour of each plot (next to its other four
// colours, "BufferOverlayColorS%d" and "FileOverlayColorS%d"), the view chosen (overlay, net or
// off) and the last background file (beside the other last paths).
#pragma once

#include <string>

#include "shell/SettingsStore.h"

namespace mirvo {

namespace settings_key {
inline constexpr const char* kOverlayColour = "OverlayColor";
inline constexpr const char* kBackgroundView = "BackgroundView";  // 0 off, 1 overlay, 2 net
inline constexpr const char* kBackgroundFile = "BackgroundFile";
}  // namespace settings_key

// Read after the other colours (LoadSpectra); a missing value leaves the default.
void LoadBackgroundSettings(const ISettingsBackend& backend, RecordSets& sets);
void SaveBackgroundSettings(ISettingsBackend& backend, RecordSets& sets);

// The last background file chosen; empty when none was.
std::string LoadBackgroundPath(const ISettingsBackend& backend);
void SaveBackgroundPath(ISettingsBackend& backend, const std::string& path);

}  // namespace mirvo
