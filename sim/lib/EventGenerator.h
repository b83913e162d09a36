// The detector physics of the simulated instrument: each event gets an energy and a pulse-shape
// (TIPS) value from the chosen source, and is routed into the four spectra by the windows.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lib/Random.h"

namespace kvetral {

// One bit per single source; a combination ("cs137+background") sets several (lib/Sources.h).
enum class Source : unsigned { Cs137 = 1, Co60 = 2, AmBe = 4, Mixed = 8, Background = 16 };
// "cs137", "co60", "ambe", "mixed" or "background", or several of them joined by '+'; false for
// anything else (an unknown, empty or repeated name). In lib/Sources.cpp.
bool ParseSource(std::string_view text, Source* source);

// What the registers say about turning an event into counts (decoded by the instrument).
struct EventRouting {
  double channelsPerKeV = 1.5;      // pulse-height channels per keV at the present gain
  double offsetChannels = 0.0;      // baseline shift of the pulse heights (ADC and amplifier offsets)
  std::uint32_t lowestChannel = 0;  // events below the slow or fast threshold are not seen
  double tipsScale = 1.0;           // TIPS gain relative to the default
  std::uint32_t heightLow = 0, heightHigh = 4095;  // pulse-height window of S0
  std::array<std::uint32_t, 3> tipsLow{0, 0, 0};   // TIPS windows of S1, S2, S3
  std::array<std::uint32_t, 3> tipsHigh{4095, 4095, 4095};
  std::array<bool, 3> needsHeight{false, false, false};  // S2/S3 window ANDed with the S1 pulse-height window
  // Shaping (lib/Shaper.h): noise and ballistic spread of the pulse height, and the share of events
  // piled up with a second one whose energy they then carry as well.
  double noiseChannels = 0, ballisticRel = 0, sumFraction = 0;
};

struct EnergyTable;  // the energy and particle distribution of one source (EventGenerator.cpp)

struct SimEvent {
  double keV = 0;
  std::int32_t channel = 0;  // pulse height
  std::int32_t tips = 0;     // pulse-shape value
  bool neutron = false;
};

class EventGenerator {
 public:
  static constexpr std::size_t kSpectra = 4;
  static constexpr std::size_t kChannels = 4096;
  static constexpr double kGammaTips = 1000.0;    // TIPS centre of gamma events at the default TIPS gain
  static constexpr double kNeutronTips = 1600.0;  // and of neutron events
  static constexpr double kChannelsPerKeV = 1.5;  // pulse-height scale at gain 1

  EventGenerator(Source source, double fom, std::uint64_t seed);

  // Generates `count` processed events and adds them into 4 x 4096 counts (spectrum k at k x 4096).
  // `neutronTally`, when given, counts per spectrum the events that were neutrons (the truth).
  void Generate(std::uint64_t count, const EventRouting& routing, std::uint32_t* spectra,
                std::uint64_t* neutronTally = nullptr);
  // One event, for the trace block.
  SimEvent Sample(const EventRouting& routing);
  Random& Rng() { return random_; }

  double GammaSigma() const { return gammaSigma_; }
  double NeutronSigma() const { return neutronSigma_; }
  // The TIPS channel where neutrons start to outnumber gammas (default border of the S2/S3 windows).
  std::uint32_t TipsBorder() const;

 private:
  Random random_;
  double gammaSigma_ = 0;
  double neutronSigma_ = 0;
  std::shared_ptr<const EnergyTable> table_;  // built once per source, shared by all generators
  const std::vector<float>* normal_ = nullptr;  // standard normal quantiles
};

}  // namespace kvetral
