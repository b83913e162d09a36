// The fitted peak and the counting statistics on the simulator's spectra: on a short Co-60 run the
// fit gives the lines' true width (6 % FWHM at 662 keV, growing as the square root of the energy)
// where the width at half the highest channel is noisy; a Cs-137 peak over a room background keeps
// its net area once a background of twice the live time is subtracted.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "display/CountingStatistics.h"
#include "display/PeakFit.h"
#include "display/ScaledBackground.h"
#include "lib/EventGenerator.h"

namespace mirvo {
namespace {

using kvetral::EventGenerator;
using kvetral::Source;

// S1's pulse-height spectrum (every event, 1.5 channels a keV) of `events` events.
std::vector<std::uint32_t> Spectrum(Source source, std::uint64_t events, std::uint64_t seed) {
  EventGenerator generator(source, 1.5, seed);
  std::vector<std::uint32_t> spectra(EventGenerator::kSpectra * EventGenerator::kChannels, 0);
  generator.Generate(events, kvetral::EventRouting{}, spectra.data());
  return {spectra.begin() + EventGenerator::kChannels, spectra.begin() + 2 * EventGenerator::kChannels};
}

double TrueFwhmChannels(double keV) { return 0.06 * std::sqrt(661.7 * keV) * EventGenerator::kChannelsPerKeV; }

TEST(PeakFitOnSimulatorSpectra, ShortCo60RunGivesTheLinesWidths) {
  const auto counts = Spectrum(Source::Co60, 60'000, 3);
  for (double keV : {1173.2, 1332.5}) {
    SCOPED_TRACE(keV);
    const double centre = keV * EventGenerator::kChannelsPerKeV;
    const double fwhm = TrueFwhmChannels(keV);
    const int first = static_cast<int>(centre - 0.9 * fwhm);
    const int last = static_cast<int>(centre + 0.9 * fwhm);
    const PeakFitResult fit = FitPeak(counts.data(), 4096, first, last);
    ASSERT_TRUE(fit.fitted);
    EXPECT_EQ(fit.flags, 0u) << FitFlagsText(fit.flags) << " chi2/ndf " << fit.reducedChiSquare;
    EXPECT_NEAR(fit.centroid, centre, std::max(3.5 * fit.centroidSigma, 1.0));
    EXPECT_NEAR(fit.fwhm, fwhm, std::max(3.5 * fit.fwhmSigma, 0.05 * fwhm));
  }
}

TEST(PeakFitOnSimulatorSpectra, NetAreaOfCs137OverARoomBackground) {
  Source both{};
  ASSERT_TRUE(kvetral::ParseSource("cs137+background", &both));
  const auto measured = Spectrum(both, 400'000, 5);
  const auto room = Spectrum(Source::Background, 2 * 20'000, 6);  // twice the live time of its 5 %
  ScaledBackground background;
  background.counts.assign(room.begin(), room.end());
  background.scale = 0.5;
  const int first = static_cast<int>(661.7 * 1.5 - 50), last = static_cast<int>(661.7 * 1.5 + 50);
  const CountingStatistics s = ComputeCountingStatistics(measured.data(), 4096, first, last, &background);
  ASSERT_TRUE(s.valid);
  // The room has no line at 662 keV: its scaled area is noise around zero, the net area the area.
  EXPECT_NEAR(s.netArea, s.area, 3.5 * std::sqrt(s.netAreaSigma * s.netAreaSigma - s.areaSigma * s.areaSigma));
  EXPECT_TRUE(s.aboveCritical);
  EXPECT_GT(s.netArea, 20 * s.netAreaSigma);
}

}  // namespace
}  // namespace mirvo
