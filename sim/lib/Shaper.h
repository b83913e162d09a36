// What the shaping registers do to the events of the simulated instrument: the slow shaper's rise
// and flat top set the energy resolution (electronic noise falls with a longer rise, ballistic
// deficit spreads short ones), and the pile-up rejector decides whether two pulses inside one slow
// pulse are thrown away (rejector on) or counted as one event with both energies (off).
#pragma once

#include "lib/EventGenerator.h"
#include "lib/RegisterMap.h"

namespace kvetral {

struct ShapingEffects {
  double noiseKeV = 0;        // electronic noise, sigma in keV
  double ballisticRel = 0;    // ballistic deficit spread, sigma relative to the pulse height
  double rejectFraction = 0;  // events thrown away by the pile-up rejector
  double sumFraction = 0;     // events counted with the energy of a second, piled-up one
};

// The effects at the given incoming rate (events per second).
ShapingEffects DecodeShaping(const Registers& regs, double rateHz);
// Copies the per-event effects into the routing the generator uses.
void ApplyShaping(const ShapingEffects& effects, EventRouting& routing);

}  // namespace kvetral
