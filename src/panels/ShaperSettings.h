// The shaper panel's settings as mirvo-cli config names them ("shaper.slow.rise", ...), each set
// through the panel's own handler and write.
#pragma once

#include <vector>

#include "acquisition/NamedSetting.h"
#include "panels/ShaperPanel.h"

namespace mirvo {

std::vector<NamedSetting> ShaperSettings(ShaperPanel& panel);

}  // namespace mirvo
