// The acquisition panel's settings by name, for mirvo-cli config: preset kind and time, pulser,
// coincidence and its three delays.
#pragma once

#include <vector>

#include "acquisition/AcquisitionPanel.h"
#include "acquisition/NamedSetting.h"

namespace mirvo {

std::vector<NamedSetting> AcquisitionSettings(AcquisitionPanel& panel);

}  // namespace mirvo
