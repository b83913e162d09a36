// The simulated instrument answers to the shaper settings: the slow shaper's times set the energy
// resolution and the dead time, the pile-up rejector trades lost events against summed ones, and
// the thresholds report their estimates.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "FakeClock.h"
#include "lib/Shaper.h"
#include "lib/Simulator.h"
#include "protocol/RegisterImage.h"
#include "testsupport/SimClient.h"

namespace {

using mirvo::cw::kRun;
using mirvo::cw::kRunCompanion;

class SimShapingTest : public ::testing::Test {
 protected:
  void Start(const char* source, double rate) {
    kvetral::SimOptions options;
    options.source = source;
    options.rate = rate;
    options.clock = &clock;
    sim = std::make_unique<kvetral::Simulator>(options);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    client = std::make_unique<kvetral::test::SimClient>(sim->DevicePath());
    ASSERT_TRUE(client->Ok());
  }
  void Set(unsigned reg, std::uint16_t value) { ASSERT_EQ(client->WriteRegister(reg, value).size(), 9u); }
  void Run(double seconds) {
    Set(mirvo::reg::kControlWord, mirvo::cw::kResetPulseA);
    Set(mirvo::reg::kControlWord, kRun | kRunCompanion);
    sim->AdvanceTime(seconds);
    Set(mirvo::reg::kControlWord, 0);
  }
  std::vector<std::uint32_t> S1() {
    std::vector<std::uint32_t> counts(4096);
    for (unsigned ch = 0; ch < 4096; ++ch) counts[ch] = sim->Count(1, ch);
    return counts;
  }
  static std::uint64_t Sum(const std::vector<std::uint32_t>& c, unsigned from, unsigned to) {
    return std::accumulate(c.begin() + from, c.begin() + to + 1, std::uint64_t{0});
  }
  // Standard deviation of the counts in [from, to] around their mean: the width of an isolated peak.
  static double Spread(const std::vector<std::uint32_t>& c, unsigned from, unsigned to) {
    double n = 0, sum = 0, squares = 0;
    for (unsigned i = from; i <= to; ++i) {
      n += c[i];
      sum += c[i] * static_cast<double>(i);
      squares += c[i] * static_cast<double>(i) * i;
    }
    const double mean = sum / n;
    return std::sqrt(squares / n - mean * mean);
  }

  mirvo::test::FakeClock clock{1'765'000'000'000};
  std::unique_ptr<kvetral::Simulator> sim;
  std::unique_ptr<kvetral::test::SimClient> client;
};

TEST_F(SimShapingTest, AShortSlowShaperWidensThePeak) {
  Start("cs137", 20000);
  Run(20.0);
  const double wide = Spread(S1(), 930, 1060);  // the 662 keV peak at 1.5 channels per keV
  Set(0x02, 16);                                // 0.128 us instead of 1.92 us
  Set(0x03, 1);
  Run(20.0);
  const double narrow = Spread(S1(), 900, 1090);
  EXPECT_GT(narrow, wide * 1.3);
}

TEST_F(SimShapingTest, PileUpRejectorLosesEventsOrSumsThem) {
  Start("cs137", 200000);
  struct Case {
    const char* what;
    std::uint16_t pileUp;
  };
  std::uint64_t totals[3] = {}, summed[3] = {};
  const Case cases[] = {{"on, enhanced", 0x4000}, {"on", 0x0000}, {"off", 0x8000}};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(cases[i].what);
    Set(0x0D, cases[i].pileUp);
    Run(5.0);
    const auto s1 = S1();
    totals[i] = Sum(s1, 0, 4095);
    summed[i] = Sum(s1, 1150, 1950);  // above the 662 keV peak, below twice it: only summed pulses
  }
  EXPECT_LT(totals[0], totals[2] * 0.95);  // the rejector throws piled-up events away
  EXPECT_GT(summed[2], summed[0] * 5);     // without it they are counted with both energies
  EXPECT_GT(summed[1], summed[0]);         // ENHANCED resolves closer pairs
  // The rate meters see the rejected events as losses.
  Set(0x0D, 0x4000);
  Set(mirvo::reg::kControlWord, kRun | kRunCompanion);
  sim->AdvanceTime(1.0);
  const auto on = client->ReadRegisters(0x2C, 2);
  Set(0x0D, 0x8000);
  sim->AdvanceTime(1.0);
  const auto off = client->ReadRegisters(0x2C, 2);
  ASSERT_EQ(on.size(), 2u);
  ASSERT_EQ(off.size(), 2u);
  EXPECT_LT(on[0], off[0]);
}

TEST(SimShapingModel, EffectsFollowTheRegisters) {
  kvetral::Registers regs = kvetral::PowerUpRegisters(1300);
  const kvetral::ShapingEffects base = kvetral::DecodeShaping(regs, 2000);
  EXPECT_NEAR(base.noiseKeV, 2.0, 1e-9);
  EXPECT_LT(base.ballisticRel, 0.001);
  EXPECT_GT(base.rejectFraction, 0.0);
  regs[0x02] = 960;  // a longer shaper: less noise, more pile-up
  const kvetral::ShapingEffects slow = kvetral::DecodeShaping(regs, 2000);
  EXPECT_LT(slow.noiseKeV, base.noiseKeV);
  EXPECT_GT(slow.rejectFraction, base.rejectFraction);
  EXPECT_EQ(kvetral::DecodeShaping(regs, 0).rejectFraction, 0.0);
}

}  // namespace
