// Stamping a start into the register image: the wait for an even second of the chosen clock, then
// the kind bits and the packed date and time written where the instrument keeps them.
#pragma once

#include "base/Clock.h"
#include "protocol/RegisterImage.h"
#include "timesvc/StartTimeStamp.h"

namespace mirvo {

// Waits (through `sleeper`) for the first even second of the chosen clock after the call, then
// writes the kind bits (ControlWord bits 10 and 11) and the packed stamp into `image`. With
// `commandHalf` (a run of a logged series) the bits and words go to indexes 0x110, 0x116 and 0x117
// and the two words are copied to 0x16 and 0x17.
StampedStart StampStartTime(const StartTimeSettings& settings, const IClock& clock, ISleeper& sleeper,
                            RegisterImage& image, bool commandHalf = false);

}  // namespace mirvo
