#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "lib/CommandLine.h"
#include "lib/EventGenerator.h"
#include "lib/Sources.h"

namespace kvetral {
namespace {

TEST(SimSources, NamesAndCombinations) {
  struct Case {
    const char* text;
    bool ok;
    Source source;
  };
  const Case cases[] = {
      {"cs137", true, Source::Cs137},
      {"background", true, Source::Background},
      {"cs137+background", true, static_cast<Source>(1u | 16u)},
      {"background+co60+cs137", true, static_cast<Source>(1u | 2u | 16u)},
      {"", false, Source::Cs137},
      {"cs137+", false, Source::Cs137},
      {"+background", false, Source::Cs137},
      {"cs137+cs137", false, Source::Cs137},
      {"cs137 + background", false, Source::Cs137},
      {"radon", false, Source::Cs137},
  };
  for (const Case& c : cases) {
    Source source = Source::Mixed;
    EXPECT_EQ(ParseSource(c.text, &source), c.ok) << c.text;
    EXPECT_EQ(source, c.ok ? c.source : Source::Mixed) << c.text;
  }
}

TEST(SimSources, ShareOfEachSourceInACombination) {
  Source source{};
  ASSERT_TRUE(ParseSource("cs137+co60+background", &source));
  const auto shares = SourceShares(source);
  ASSERT_EQ(shares.size(), 3u);
  EXPECT_EQ(shares[0], std::make_pair(Source::Cs137, 0.475));
  EXPECT_EQ(shares[1], std::make_pair(Source::Co60, 0.475));
  EXPECT_EQ(shares[2], std::make_pair(Source::Background, 0.05));
  ASSERT_TRUE(ParseSource("cs137+co60", &source));
  EXPECT_EQ(SourceShares(source)[1].second, 0.5);
  EXPECT_EQ(SourceShares(Source::Background), (std::vector<std::pair<Source, double>>{{Source::Background, 1.0}}));
}

TEST(SimSources, BackgroundAloneDefaultsToALowRate) {
  struct Case {
    std::vector<std::string> args;
    double rate;
  };
  const Case cases[] = {
      {{"--source", "background"}, kBackgroundAloneRate},
      {{"--source", "background", "--rate", "900"}, 900.0},
      {{"--rate", "900", "--source", "background"}, 900.0},
      {{"--source", "cs137+background"}, 2000.0},
  };
  for (const Case& c : cases) {
    CommandLine line;
    std::string error;
    ASSERT_EQ(ParseCommandLine(c.args, &line, &error), 0) << error;
    EXPECT_EQ(line.options.rate, c.rate) << c.args[1];
  }
  CommandLine line;
  std::string error;
  EXPECT_EQ(ParseCommandLine({"--source", "cs137+"}, &line, &error), kExitUsage);
}

// Pulse-height spectrum (S1 takes every event with the open default windows) of n events.
std::vector<double> Spectrum(Source source, std::uint64_t events) {
  EventGenerator generator(source, 1.5, 7);
  std::vector<std::uint32_t> spectra(EventGenerator::kSpectra * EventGenerator::kChannels, 0);
  EventRouting routing;
  generator.Generate(events, routing, spectra.data());
  std::vector<double> s1(EventGenerator::kChannels);
  for (std::size_t i = 0; i < s1.size(); ++i) s1[i] = spectra[EventGenerator::kChannels + i];
  return s1;
}

// The counts from fromKeV to toKeV; a window reaching past the last channel ends there.
double Sum(const std::vector<double>& s, double fromKeV, double toKeV) {
  double sum = 0;
  const int last = std::min(static_cast<int>(toKeV * EventGenerator::kChannelsPerKeV), static_cast<int>(s.size()) - 1);
  for (int ch = static_cast<int>(fromKeV * EventGenerator::kChannelsPerKeV); ch <= last; ++ch)
    sum += s[static_cast<std::size_t>(ch)];
  return sum;
}

// Each line stands above the continuum: the counts within half a FWHM of it exceed the mean of two
// windows of the same width a FWHM and a half either side. Lines of 583 and 609 keV merge at this
// resolution and are looked for as one at 600 keV.
TEST(SimSources, BackgroundHasItsLinesWhereExpected) {
  const auto s = Spectrum(Source::Background, 4'000'000);
  for (double keV : {238.6, 351.9, 600.0, 1120.3, 1460.8, 1764.5, 2614.5}) {
    const double fwhm = std::max(2.0 * 2.3548, 0.06 * std::sqrt(661.7 * keV));
    const double peak = Sum(s, keV - fwhm / 2, keV + fwhm / 2);
    const double sides = (Sum(s, keV - 2 * fwhm, keV - fwhm) + Sum(s, keV + fwhm, keV + 2 * fwhm)) / 2;
    EXPECT_GT(peak, 1.2 * sides) << keV << " keV";
  }
  // The continuum falls: more counts at 100..300 keV than at 2000..2200 keV.
  EXPECT_GT(Sum(s, 100, 300), 10 * Sum(s, 2000, 2200));
}

TEST(SimSources, CombinedSourceHoldsBothSpectra) {
  Source source{};
  ASSERT_TRUE(ParseSource("cs137+background", &source));
  const auto both = Spectrum(source, 2'000'000);
  const auto cs = Spectrum(Source::Cs137, 2'000'000);
  // The Cs-137 photopeak keeps about 95 % of its counts; K-40 appears where Cs-137 alone has none.
  const double ratio = Sum(both, 630, 690) / Sum(cs, 630, 690);
  EXPECT_NEAR(ratio, 0.95, 0.03);
  EXPECT_GT(Sum(both, 1440, 1480), 3 * Sum(cs, 1440, 1480) + 100);
}

}  // namespace
}  // namespace kvetral
