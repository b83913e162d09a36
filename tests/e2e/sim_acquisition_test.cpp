// The simulated instrument counts like a real one: presets end runs by themselves, reset pulses
// clear memory and times, windows route events into S0..S3, gains and thresholds shape the spectra,
// rates and dead time follow the formulas the program uses, and traces arrive with their lanes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "FakeClock.h"
#include "lib/Simulator.h"
#include "lib/TraceGenerator.h"
#include "protocol/Packets.h"
#include "protocol/RegisterImage.h"
#include "testsupport/SimClient.h"

namespace {

namespace pk = mirvo::packet;
using mirvo::cw::kRun;
using mirvo::cw::kRunCompanion;

class SimAcquisitionTest : public ::testing::Test {
 protected:
  void Start(kvetral::SimOptions options = {}) {
    options.clock = &clock;
    sim = std::make_unique<kvetral::Simulator>(options);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    client = std::make_unique<kvetral::test::SimClient>(sim->DevicePath());
    ASSERT_TRUE(client->Ok());
  }
  void Set(unsigned reg, std::uint16_t value) { ASSERT_EQ(client->WriteRegister(reg, value).size(), 9u); }
  void Set32(unsigned low, std::uint32_t value) {
    Set(low, static_cast<std::uint16_t>(value & 0xFFFF));
    Set(low + 1, static_cast<std::uint16_t>(value >> 16));
  }
  void RunFor(double seconds) {
    Set(mirvo::reg::kControlWord, kRun | kRunCompanion);
    sim->AdvanceTime(seconds);
    Set(mirvo::reg::kControlWord, 0);
  }
  std::vector<std::uint32_t> Spectrum(unsigned k) {
    std::vector<std::uint32_t> counts(4096);
    for (unsigned ch = 0; ch < 4096; ++ch) counts[ch] = sim->Count(k, ch);
    return counts;
  }
  static std::uint64_t Sum(const std::vector<std::uint32_t>& c, unsigned from = 0, unsigned to = 4095) {
    return std::accumulate(c.begin() + from, c.begin() + to + 1, std::uint64_t{0});
  }
  double Seconds(unsigned ticksLow, unsigned fraction) {
    const auto r = client->ReadRegisters(ticksLow, 1);
    const auto h = client->ReadRegisters(ticksLow + 1, 1);
    const auto f = client->ReadRegisters(fraction, 1);
    return (h.at(0) * 65536.0 + r.at(0)) * 0.01 + f.at(0) * 16 * 0.008e-6;
  }

  mirvo::test::FakeClock clock{1'765'000'000'000};
  std::unique_ptr<kvetral::Simulator> sim;
  std::unique_ptr<kvetral::test::SimClient> client;
};

std::string TempJournal() {
  const auto path = std::filesystem::temp_directory_path() / ("sim_journal_" + std::to_string(::getpid()) + ".txt");
  std::filesystem::remove(path);
  return path.string();
}

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(SimAcquisitionTest, RealTimePresetEndsTheRunWithThePresetTime) {
  kvetral::SimOptions options;
  options.journal = TempJournal();
  Start(options);
  Set32(mirvo::reg::kPresetReal, 200);  // 2 s
  Set(mirvo::reg::kControlWord, kRun | kRunCompanion);
  sim->AdvanceTime(1.5);
  EXPECT_EQ(sim->Register(mirvo::reg::kControlWord) & kRun, kRun);
  sim->AdvanceTime(1.0);
  EXPECT_EQ(sim->Register(mirvo::reg::kControlWord) & (kRun | kRunCompanion), 0);
  EXPECT_EQ(sim->Register(mirvo::reg::kRealTicksLow), 200);
  EXPECT_EQ(sim->Register(mirvo::reg::kRealTicksHigh), 0);
  EXPECT_EQ(sim->Register(mirvo::reg::kRealFraction), 0);
  const double live = Seconds(mirvo::reg::kLiveTicksLow, mirvo::reg::kLiveFraction);
  EXPECT_LT(live, 2.0);
  EXPECT_GT(live, 1.9);
  EXPECT_DOUBLE_EQ(Seconds(mirvo::reg::kRealTicksLow, mirvo::reg::kRealFraction), 2.0);

  const auto lines = Lines(options.journal);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(" finished real=2.000000 live="), std::string::npos) << lines[0];
  const std::string totals = "S0=" + std::to_string(Sum(Spectrum(0))) + " S1=" + std::to_string(Sum(Spectrum(1))) +
                             " S2=" + std::to_string(Sum(Spectrum(2))) + " S3=" + std::to_string(Sum(Spectrum(3)));
  EXPECT_NE(lines[0].find(totals), std::string::npos) << lines[0] << " vs " << totals;
  EXPECT_GT(Sum(Spectrum(1)), 3000u);  // about 2 s x 2000 events/s

  // A reset of a filled memory is journalled with what it clears; a reset of an empty one is not.
  Set(mirvo::reg::kControlWord, mirvo::cw::kResetPulseA | mirvo::cw::kResetPulseB);
  Set(mirvo::reg::kControlWord, mirvo::cw::kResetPulseA | mirvo::cw::kResetPulseB);
  const auto after = Lines(options.journal);
  ASSERT_EQ(after.size(), 2u);
  EXPECT_NE(after[1].find(" reset real=2.000000 live="), std::string::npos) << after[1];
  EXPECT_NE(after[1].find(totals), std::string::npos) << after[1];
  std::filesystem::remove(options.journal);
}

TEST_F(SimAcquisitionTest, TheInjectedClockAloneDrivesTheInstrument) {
  kvetral::SimOptions options;
  options.speed = 10;  // a 20 s preset in 2 s of the clock
  Start(options);
  Set32(mirvo::reg::kPresetReal, 2000);
  Set(mirvo::reg::kControlWord, kRun | kRunCompanion);
  clock.Advance(1500);  // the next request brings the instrument up to the clock
  auto regs = client->ReadRegisters(mirvo::reg::kControlWord, 1);
  ASSERT_EQ(regs.size(), 1u);
  EXPECT_EQ(regs[0] & kRun, kRun);
  EXPECT_DOUBLE_EQ(Seconds(mirvo::reg::kRealTicksLow, mirvo::reg::kRealFraction), 15.0);
  clock.Advance(1000);
  regs = client->ReadRegisters(mirvo::reg::kControlWord, 1);
  EXPECT_EQ(regs.at(0) & kRun, 0);
  EXPECT_DOUBLE_EQ(Seconds(mirvo::reg::kRealTicksLow, mirvo::reg::kRealFraction), 20.0);
}

TEST_F(SimAcquisitionTest, StartInTheSameBlockAsALongerPresetRunsOnToIt) {
  Start();
  Set32(mirvo::reg::kPresetReal, 100);
  Set(mirvo::reg::kControlWord, kRun | kRunCompanion);
  sim->AdvanceTime(2.0);
  ASSERT_EQ(sim->Register(mirvo::reg::kControlWord) & kRun, 0);  // 1 s preset reached
  // The host's settings block: the start and a 3 s preset together, without a reset.
  auto block = client->ReadRegisters(0x0C, 0x74);
  ASSERT_EQ(block.size(), 0x74u);
  block[mirvo::reg::kControlWord - 0x0C] |= kRun | kRunCompanion;
  block[mirvo::reg::kPresetReal - 0x0C] = 300;
  ASSERT_EQ(client->Write(pk::RegisterWriteAddress(0x0C), block).size(), 9u);
  sim->AdvanceTime(1.0);
  EXPECT_EQ(sim->Register(mirvo::reg::kControlWord) & kRun, kRun);
  sim->AdvanceTime(2.0);
  EXPECT_EQ(sim->Register(mirvo::reg::kControlWord) & kRun, 0);
  EXPECT_EQ(sim->Register(mirvo::reg::kRealTicksLow), 300);
}

TEST_F(SimAcquisitionTest, LiveTimePresetCountsLiveTimeAndDeadTimeGrowsWithRateAndShaping) {
  kvetral::SimOptions options;
  options.rate = 50000;
  Start(options);
  Set32(mirvo::reg::kPresetReal, 200);
  Set(mirvo::reg::kControlWord, kRun | kRunCompanion | mirvo::cw::kLivePreset);
  sim->AdvanceTime(10.0);
  EXPECT_EQ(sim->Register(mirvo::reg::kControlWord) & kRun, 0);
  EXPECT_DOUBLE_EQ(Seconds(mirvo::reg::kLiveTicksLow, mirvo::reg::kLiveFraction), 2.0);
  const double real = Seconds(mirvo::reg::kRealTicksLow, mirvo::reg::kRealFraction);
  // Dead time per event: (2 x 240 + 1) samples of 8 ns plus 0.5 us.
  const double tau = (2 * 240 + 1) * 8e-9 + 0.5e-6;
  EXPECT_NEAR((real - 2.0) / real, 50000 * tau / (1 + 50000 * tau), 0.002);

  // A longer shaping time loses more.
  Set(mirvo::reg::kControlWord, mirvo::cw::kResetPulseA | mirvo::cw::kResetPulseB);
  Set(0x02, 960);
  Set(mirvo::reg::kControlWord, kRun | kRunCompanion | mirvo::cw::kLivePreset);
  sim->AdvanceTime(10.0);
  EXPECT_GT(Seconds(mirvo::reg::kRealTicksLow, mirvo::reg::kRealFraction), real + 0.3);
}

TEST_F(SimAcquisitionTest, ResetPulsesClearCountsAndTimes) {
  Start();
  for (std::uint16_t pulse : {mirvo::cw::kResetPulseA, mirvo::cw::kResetPulseB}) {
    SCOPED_TRACE(pulse);
    RunFor(5.0);
    ASSERT_GT(Sum(Spectrum(1)), 0u);
    ASSERT_GT(sim->Register(mirvo::reg::kRealTicksLow), 0);
    Set(mirvo::reg::kControlWord, pulse);
    for (unsigned k = 0; k < 4; ++k) EXPECT_EQ(Sum(Spectrum(k)), 0u);
    for (unsigned reg = mirvo::reg::kRealTicksLow; reg <= mirvo::reg::kLiveFraction; ++reg)
      EXPECT_EQ(sim->Register(reg), 0) << reg;
    EXPECT_EQ(sim->Register(mirvo::reg::kControlWord) & pulse, 0);  // a pulse, not a stored state
  }
  // A reset that goes out with the start keeps the new run going.
  RunFor(2.0);
  Set(mirvo::reg::kControlWord, kRun | kRunCompanion | mirvo::cw::kResetPulseA | mirvo::cw::kResetPulseB);
  EXPECT_EQ(Sum(Spectrum(1)), 0u);
  sim->AdvanceTime(1.0);
  EXPECT_EQ(sim->Register(mirvo::reg::kRealTicksLow), 100);
}

TEST_F(SimAcquisitionTest, WindowsRouteEventsIntoTheFourSpectra) {
  kvetral::SimOptions options;
  options.rate = 20000;
  Start(options);
  // Power-up windows: S1 sees every TIPS value, S2 and S3 split it at the valley.
  RunFor(20.0);
  const auto s1 = Spectrum(1), s2 = Spectrum(2), s3 = Spectrum(3);
  for (unsigned ch = 0; ch < 4096; ++ch) ASSERT_EQ(s1[ch], s2[ch] + s3[ch]) << ch;
  EXPECT_EQ(Sum(Spectrum(0)), Sum(s1));
  EXPECT_GT(Sum(s3), Sum(s1) / 10);  // neutrons of the AmBe share
  EXPECT_GT(Sum(s2), Sum(s3));

  // S0 takes only pulse heights inside its window; an AND option ties S2 to it too.
  Set(mirvo::reg::kControlWord, mirvo::cw::kResetPulseA);
  Set(0x65, 900);
  Set(0x66, 300);  // swapped ends are taken in order
  Set(0x69, static_cast<std::uint16_t>(0x8000 | sim->Register(0x69)));
  Set(0x6B, 4000);
  Set(0x6C, 4095);  // S3 window above every neutron
  RunFor(20.0);
  const auto s0 = Spectrum(0), t1 = Spectrum(1), t2 = Spectrum(2), t3 = Spectrum(3);
  EXPECT_EQ(Sum(s0), Sum(t1, 300, 900));
  EXPECT_EQ(Sum(t2, 0, 299) + Sum(t2, 901, 4095), 0u);
  EXPECT_GT(Sum(t2, 300, 900), 0u);
  EXPECT_LT(Sum(t3), Sum(t1) / 1000);
}

// Full width at half maximum of the hump that peaks in [from, to), by linear interpolation.
struct Hump {
  double centre, fwhm;
};
Hump MeasureHump(const std::vector<std::uint32_t>& c, unsigned from, unsigned to) {
  unsigned peak = from;
  for (unsigned i = from; i < to; ++i)
    if (c[i] > c[peak]) peak = i;
  double top = 0;  // mean of the 9 channels around the peak, against bin noise
  for (unsigned i = peak - 4; i <= peak + 4; ++i) top += c[i] / 9.0;
  const double half = top / 2;
  unsigned r = peak, l = peak;
  while (r < 4095 && c[r] >= half) ++r;
  while (l > 0 && c[l] >= half) --l;
  const double right = r - (half - c[r]) / (static_cast<double>(c[r - 1]) - c[r]);
  const double left = l + (half - c[l]) / (static_cast<double>(c[l + 1]) - c[l]);
  return {(left + right) / 2, right - left};
}

TEST_F(SimAcquisitionTest, TipsSpectrumHasTwoHumpsSeparatedByTheRequestedFom) {
  for (double fom : {1.0, 1.5, 2.5}) {
    SCOPED_TRACE(fom);
    kvetral::SimOptions options;
    options.source = "ambe";
    options.rate = 100000;
    options.fom = fom;
    Start(options);
    RunFor(30.0);
    const auto s0 = Spectrum(0);
    const Hump gamma = MeasureHump(s0, 800, 1200), neutron = MeasureHump(s0, 1450, 1800);
    EXPECT_NEAR(gamma.centre, 1000, 15);
    EXPECT_NEAR(neutron.centre, 1600, 15);
    EXPECT_NEAR((neutron.centre - gamma.centre) / (gamma.fwhm + neutron.fwhm), fom, 0.1 * fom);
    sim.reset();
  }
}

TEST_F(SimAcquisitionTest, FineGainMovesThe662KeVPeak) {
  kvetral::SimOptions options;
  options.source = "cs137";
  options.rate = 20000;
  Start(options);
  const struct {
    std::uint16_t fineRegister;
    double expectedChannel;
  } cases[] = {{4095 * 16, 662 * 1.5}, {0, 662 * 1.5 * 1.2}, {2048 * 16, 662 * 1.5 * (1 + 0.2 * 2047 / 4095)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fineRegister);
    Set(mirvo::reg::kControlWord, mirvo::cw::kResetPulseA);
    Set(0x11, c.fineRegister);
    RunFor(20.0);
    const Hump peak = MeasureHump(Spectrum(1), 800, 1400);
    EXPECT_NEAR(peak.centre, c.expectedChannel, 0.01 * c.expectedChannel);
    EXPECT_NEAR(peak.fwhm / peak.centre, 0.06, 0.015);  // 6 % resolution
  }
}

TEST_F(SimAcquisitionTest, ThresholdsCutTheLowChannels) {
  kvetral::SimOptions options;
  options.rate = 20000;
  Start(options);
  // The host writes channels x the gain-normalisation factor (2400 at power-up); fast uses
  // 16 x 2400 / 240 = 160.
  const struct {
    unsigned low;
    std::uint32_t value;
    unsigned firstChannel;
  } cases[] = {{0x22, 150u * 2400u, 150}, {0x24, 250u * 160u, 250}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.low);
    Set(mirvo::reg::kControlWord, mirvo::cw::kResetPulseA);
    Set32(0x22, 0xFFFFFFFF);
    Set32(0x24, 0xFFFFFFFF);
    Set32(c.low, c.value);
    RunFor(10.0);
    const auto s1 = Spectrum(1);
    EXPECT_EQ(Sum(s1, 0, c.firstChannel - 1), 0u);
    EXPECT_GT(Sum(s1, c.firstChannel, c.firstChannel + 20), 0u);
  }
  // AUTO thresholds sit just above the noise and report their estimate in 0x30/0x31.
  EXPECT_EQ(sim->Register(0x30) | (sim->Register(0x31) << 16), 8u * 2400u);
}

TEST_F(SimAcquisitionTest, RateCountersFollowTheProgramsFormulas) {
  kvetral::SimOptions options;
  options.rate = 20000;
  Start(options);
  EXPECT_EQ(sim->Register(0x2C), 0);  // nothing counts while stopped
  Set(0x0D, 0x8000);                  // pile-up rejector off: only the dead time loses events
  Set(mirvo::reg::kControlWord, kRun | kRunCompanion);
  sim->AdvanceTime(1.0);
  const auto regs = client->ReadRegisters(0x2C, 4);
  ASSERT_EQ(regs.size(), 4u);
  const double t = 0.008 * 0.002048;  // 2048 sample periods in seconds
  ASSERT_NE(regs[2], 0);
  ASSERT_NE(regs[3], 0);
  const double throughput = regs[0] / (regs[2] * t), incoming = regs[1] / (regs[3] * t);
  const double tau = (2 * 240 + 1) * 8e-9 + 0.5e-6;
  EXPECT_NEAR(incoming, 20000, 600);
  EXPECT_NEAR(throughput, 20000 / (1 + 20000 * tau), 600);
  EXPECT_LT(throughput, incoming);
}

TEST_F(SimAcquisitionTest, StatusWordsCarryIdentityAndADriftingTemperature) {
  Start();
  const auto first = pk::ParseStatusBlock(client->Read(pk::RegisterReadAddress(1), 0));
  EXPECT_EQ(first.firmware, 250);
  EXPECT_EQ(first.serialnumber, 1);
  EXPECT_NEAR(first.slowadc, 2.5, 0.01);
  sim->AdvanceTime(20 * 60.0);
  const auto later = pk::ParseStatusBlock(client->Read(pk::RegisterReadAddress(1), 0));
  EXPECT_GE(later.intemp, first.intemp + 5);
  EXPECT_LE(later.intemp, 45);
}

TEST_F(SimAcquisitionTest, TraceReadyBitAndTraceBlockWithItsLanes) {
  Start();
  sim->AdvanceTime(0.05);
  EXPECT_EQ(sim->Register(mirvo::reg::kControlWord) & mirvo::cw::kTraceReady, mirvo::cw::kTraceReady);
  // A host write of the control word does not clear the instrument's flag.
  Set(mirvo::reg::kControlWord, 0);
  EXPECT_EQ(sim->Register(mirvo::reg::kControlWord) & mirvo::cw::kTraceReady, mirvo::cw::kTraceReady);

  const auto reply = client->Read(pk::kTraceAddress, pk::kTraceByteCount);
  ASSERT_EQ(reply.size(), 1049u);
  EXPECT_EQ(sim->Register(mirvo::reg::kControlWord) & mirvo::cw::kTraceReady, 0);
  std::vector<std::int16_t> analog;
  std::vector<std::uint16_t> digital;
  for (unsigned k = 0; k < 256; ++k) {
    analog.push_back(static_cast<std::int16_t>(pk::GetWord(reply, 24 + 4 * k)));
    digital.push_back(pk::GetWord(reply, 26 + 4 * k));
  }
  // Trigger F LLD at the delay position 48; one PKDT point at the top of the SLOW pulse.
  EXPECT_FALSE(digital[47] & kvetral::lane::kFastLld);
  EXPECT_TRUE(digital[48] & kvetral::lane::kFastLld);
  const auto peakDetect = std::count_if(digital.begin(), digital.end(),
                                        [](std::uint16_t d) { return (d & kvetral::lane::kPeakDetect) != 0; });
  EXPECT_EQ(peakDetect, 1);
  const auto top = std::max_element(analog.begin(), analog.end()) - analog.begin();
  const auto pkdt = std::find_if(digital.begin(), digital.end(),
                                 [](std::uint16_t d) { return (d & kvetral::lane::kPeakDetect) != 0; }) - digital.begin();
  EXPECT_NEAR(static_cast<double>(top), static_cast<double>(pkdt), 2.0);
  EXPECT_TRUE(digital[pkdt - 2] & kvetral::lane::kInhibit);
  EXPECT_NEAR(analog[10], 0, 40);  // baseline before the pulse

  sim->AdvanceTime(0.05);
  EXPECT_EQ(sim->Register(mirvo::reg::kControlWord) & mirvo::cw::kTraceReady, mirvo::cw::kTraceReady);
}

}  // namespace
