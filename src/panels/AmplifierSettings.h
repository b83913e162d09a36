// The amplifier panel's settings by name, for mirvo-cli config: gains, offsets, the stabilizer's
// enable and windows, and the digital I/O lists. Each goes through the panel's own handler (the
// windows through the gain stabilizer dialog's OK).
#pragma once

#include <vector>

#include "acquisition/NamedSetting.h"
#include "panels/AmplifierPanel.h"
#include "panels/StabilizerSettings.h"

namespace mirvo {

std::vector<NamedSetting> AmplifierSettings(AmplifierPanel& panel, StabilizerSettings& stabilizer,
                                            const SpectrumRecord& live);

// A list entry as a command-line word: lower case, spaces and underscores as '-' ("INV OPEN DRAIN"
// gives "inv-open-drain").
std::string ListWord(const char* entry);

}  // namespace mirvo
