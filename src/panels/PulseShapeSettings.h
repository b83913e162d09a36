// The pulse-shape panel's windows as mirvo-cli config names them: "psd.height" (the pulse-height
// window of S0, in channels of S1) and "psd.s1", "psd.s2", "psd.s3" (the TIPS windows, in channels
// of S0), each FROM:TO or "all".
#pragma once

#include <vector>

#include "acquisition/NamedSetting.h"
#include "panels/PulseShapePanel.h"

namespace mirvo {

std::vector<NamedSetting> PulseShapeSettings(PulseShapePanel& panel);

}  // namespace mirvo
