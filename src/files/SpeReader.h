// Reading IAEA SPE files: blocks "$NAME:" followed by their lines, in any order, with CR, LF or
// CR LF line ends; unknown blocks are skipped. $DATA is required; $MEAS_TIM, $DATE_MEA, $MCA_CAL
// (or else $ENER_FIT), $ROI and $SPEC_ID/$SPEC_REM are used when present.
#pragma once

#include <string_view>

#include "files/SpectrumExchange.h"

namespace mirvo {

// True with `set` holding the file's one spectrum; false (set untouched) for a text that is not an
// SPE file or whose $DATA block is malformed or shorter than its channel range.
bool ParseSpe(std::string_view content, ExchangeSet& set);

}  // namespace mirvo
