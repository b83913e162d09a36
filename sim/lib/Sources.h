// The radiation sources of the simulator by name, the room background's lines, and the rate shares
// of a combination ("cs137+background").
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lib/EventGenerator.h"

namespace kvetral {

// A gamma line of the room background: energy, share of the background's events (photopeak and
// its Compton continuum together) and the photopeak's part of that share.
struct BackgroundLine {
  const char* nuclide;
  double keV;
  double share;
  double photoFraction;
};
// K-40 and the lines of the uranium and thorium chains in building materials and soil.
const std::vector<BackgroundLine>& RoomBackgroundLines();
// The rest of the background's events: a continuum rising over a few tens of keV and falling with
// this decay length (scattered radiation and cosmic rays).
inline constexpr double kRoomContinuumDecayKeV = 300.0;
inline constexpr double kRoomContinuumRiseKeV = 25.0;

// The share of the events a background takes in a combination with other sources; those share the
// rest equally.
inline constexpr double kBackgroundShareInCombination = 0.05;
// Events per second reaching the detector for the background alone when --rate is not given.
inline constexpr double kBackgroundAloneRate = 150.0;

// The single sources of a combination with their shares of the events (they add up to 1). A single
// source gives itself with share 1.
std::vector<std::pair<Source, double>> SourceShares(Source source);
// Whether the source holds more than one of the named sources.
bool IsCombination(Source source);
// The names of the single sources, as ParseSource takes them.
std::string SourceNames();

}  // namespace kvetral
