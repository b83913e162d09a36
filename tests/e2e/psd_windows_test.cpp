// The pulse-shape and shaper panels against the simulated instrument: windows placed by hand on the
// two humps of the TIPS spectrum S0 route the gammas into S2 and the neutrons into S3, and the
// shaper's settings come back from the instrument as the panel wrote them.
#include <gtest/gtest.h>

#include <cstdio>

#include "AcquisitionRig.h"
#include "display/PeakAnalysis.h"
#include "panels/PanelHost.h"
#include "panels/PulseShapePanel.h"
#include "panels/ShaperPanel.h"

namespace mirvo {
namespace {

using End = PulseShapePanel::End;

kvetral::SimOptions Fast() {
  kvetral::SimOptions options;
  options.speed = 50;
  options.rate = 20000;
  return options;
}

struct PanelsRig : test::AcquisitionRig {
  PanelsRig() : test::AcquisitionRig(Fast()) {
    shaper.Attach(lifecycle);
    psd.Attach(lifecycle);
    shaper.Initialise();
    psd.Initialise();
  }
  const std::uint32_t* Counts(int spectrum) { return host.memory.Spectrum(static_cast<std::size_t>(spectrum)); }
  std::uint64_t Total(int spectrum) {
    std::uint64_t total = 0;
    for (int ch = 0; ch < 4096; ++ch) total += Counts(spectrum)[ch];
    return total;
  }
  std::uint64_t SimTotal(int spectrum) {
    std::uint64_t total = 0;
    for (unsigned ch = 0; ch < 4096; ++ch) total += sim->Count(static_cast<unsigned>(spectrum), ch);
    return total;
  }
  // A run of `seconds` from a reset, until the program holds the instrument's final counts.
  bool Acquire(int seconds) {
    if (!panel.OnPresetTyped(seconds) || !ResetAndWait()) return false;
    panel.StartAcquisition();
    bool seenRunning = false;
    if (!RunUntil([&] {
          seenRunning = seenRunning || host.record.registers.Running();
          return seenRunning && !host.record.registers.Running();
        }))
      return false;
    return RunUntil([&] {
      for (int k = 0; k < 4; ++k)
        if (Total(k) != SimTotal(k)) return false;
      return true;
    });
  }

  BufferSetPanelHost panelHost{host.buffers};
  SamplePeriod period;
  ShaperPanel shaper{panelHost, period, dialogs};
  PulseShapePanel psd{panelHost, dialogs};
};

TEST(PsdWindowsTest, WindowsOnTheTwoHumpsSeparateGammasAndNeutrons) {
  PanelsRig rig;
  ASSERT_TRUE(rig.Connect());
  ASSERT_TRUE(rig.psd.Synchronised());
  // S1 takes every TIPS value; S2 and S3 first take everything too.
  rig.psd.OnAll(1);
  rig.psd.OnAll(2);
  rig.psd.OnAll(3);
  ASSERT_TRUE(rig.Acquire(20));
  const std::uint32_t* s0 = rig.Counts(0);
  // The humps as a user finds them on S0: the gamma hump below 1300, the neutron hump above.
  PeakResult gamma, neutron;
  ASSERT_EQ(AnalysePeak(s0, 4096, 700, 1300, gamma), kPeakFound);
  ASSERT_EQ(AnalysePeak(s0, 4096, 1350, 2000, neutron), kPeakFound);
  const double fom = (neutron.centroid - gamma.centroid) / (gamma.fwhm + neutron.fwhm);
  EXPECT_NEAR(fom, 1.5, 0.25);  // the simulator's 1.5, measured with background subtraction

  // S2 on the gamma hump, S3 on the neutron hump (typed TO before FROM: the order stays).
  const int gammaFrom = static_cast<int>(gamma.centroid - 1.5 * gamma.fwhm);
  const int gammaTo = static_cast<int>(gamma.centroid + gamma.fwhm);
  const int neutronFrom = static_cast<int>(neutron.centroid - neutron.fwhm);
  const int neutronTo = static_cast<int>(neutron.centroid + 1.5 * neutron.fwhm);
  rig.psd.OnTyped(2, End::kFrom, gammaFrom);
  rig.psd.OnTyped(2, End::kTo, gammaTo);
  rig.psd.OnTyped(3, End::kTo, neutronTo);
  rig.psd.OnTyped(3, End::kFrom, neutronFrom);
  ASSERT_TRUE(rig.WaitForStatus());
  ASSERT_TRUE(rig.WaitForStatus());
  EXPECT_EQ(rig.sim->Register(0x6B), neutronFrom);
  EXPECT_EQ(rig.sim->Register(0x6C), neutronTo);
  EXPECT_EQ(rig.psd.From(3), neutronFrom);

  ASSERT_TRUE(rig.Acquire(20));
  const double s2 = static_cast<double>(rig.Total(2)), s3 = static_cast<double>(rig.Total(3));
  ASSERT_GT(s3, 1000.0);
  const double s3Purity = static_cast<double>(rig.sim->NeutronTotal(3)) / s3;
  const double s2Purity = 1.0 - static_cast<double>(rig.sim->NeutronTotal(2)) / s2;
  EXPECT_GT(s3Purity, 0.99);  // almost only neutrons
  EXPECT_GT(s2Purity, 0.99);  // and the gammas went to S2
  const double s1Gammas = static_cast<double>(rig.Total(1) - rig.sim->NeutronTotal(1));
  EXPECT_GT(s2, 0.8 * s1Gammas);
  std::printf("FOM %.2f (gamma %.0f fwhm %.0f, neutron %.0f fwhm %.0f); S2 [%d, %d] gamma purity %.4f; "
              "S3 [%d, %d] neutron purity %.5f (%.0f gammas among %.0f counts; %.0f of %.0f neutrons of S1)\n",
              fom, gamma.centroid, gamma.fwhm, neutron.centroid, neutron.fwhm, gammaFrom, gammaTo, s2Purity,
              neutronFrom, neutronTo, s3Purity, s3 - static_cast<double>(rig.sim->NeutronTotal(3)), s3,
              static_cast<double>(rig.sim->NeutronTotal(3)),
              static_cast<double>(rig.sim->NeutronTotal(1)));
}

TEST(PsdWindowsTest, ShaperSettingsReachTheInstrumentAndComeBack) {
  PanelsRig rig;
  ASSERT_TRUE(rig.Connect());
  // The power-up settings read back as the panel's start values.
  EXPECT_EQ(rig.shaper.Time(ShaperPanel::TimeField::kSlowRise), 240);
  EXPECT_EQ(rig.shaper.TipsGain(), 8);
  EXPECT_EQ(rig.shaper.SlowNormalisation(), 2400u);
  EXPECT_DOUBLE_EQ(rig.period.Us(), 0.008);
  EXPECT_EQ(rig.shaper.EstimatedSlowText(), "8");  // the instrument's automatic threshold

  rig.shaper.OnTimeChanged(ShaperPanel::TimeField::kSlowRise, 200);
  rig.shaper.OnThresholdSlowChanged(120);
  ASSERT_TRUE(rig.WaitForStatus());
  ASSERT_TRUE(rig.WaitForStatus());
  EXPECT_EQ(rig.sim->Register(0x02), 200);
  EXPECT_EQ(rig.sim->Register(0x14), 2000);
  EXPECT_EQ(rig.sim->Register(0x22) | (rig.sim->Register(0x23) << 16), 120u * 2000u);
  EXPECT_EQ(rig.shaper.ThresholdSlow(), 120);
  ASSERT_TRUE(rig.Acquire(5));
  const std::uint32_t* s1 = rig.Counts(1);
  std::uint64_t below = 0, above = 0;
  for (int ch = 0; ch < 120; ++ch) below += s1[ch];
  for (int ch = 120; ch < 200; ++ch) above += s1[ch];
  EXPECT_EQ(below, 0u);
  EXPECT_GT(above, 0u);
}

}  // namespace
}  // namespace mirvo
