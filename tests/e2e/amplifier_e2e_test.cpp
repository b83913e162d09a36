// The amplifier panel and the gain stabilizer against the in-process simulator: a fine-gain change
// moves the 662 keV peak by its factor, the offsets shift it, the digital I/O registers come back,
// and with a drifting gain the peak wanders while the instrument warms unless the stabilizer holds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "AcquisitionRig.h"
#include "display/PeakAnalysis.h"
#include "panels/AmplifierPanel.h"
#include "panels/RecordAmplifierHost.h"
#include "panels/StabilizerSettings.h"

namespace mirvo {
namespace {

using Counts = std::vector<std::uint32_t>;

class AmplifierE2eTest : public ::testing::Test {
 protected:
  void Make(double drift) {
    kvetral::SimOptions options;
    options.source = "cs137";
    options.rate = 20000;
    options.drift = drift;
    rig = std::make_unique<test::AcquisitionRig>(options);
    ASSERT_TRUE(rig->started);
    amplifierHost = std::make_unique<RecordAmplifierHost>(rig->host.record);
    amplifier = std::make_unique<AmplifierPanel>(*amplifierHost, rig->dialogs);
    amplifier->Attach(rig->lifecycle, rig->panel);
    amplifier->Initialise();
    ASSERT_TRUE(rig->Connect());
    ASSERT_TRUE(amplifier->Synchronised());
    rig->host.startTime.askFlag = false;
    rig->panel.StartAcquisition();
    ASSERT_TRUE(rig->RunUntil([&] { return rig->sim->Register(0x10) & cw::kRun; }));
  }
  // The connection goes first: closing it tells the panel.
  void TearDown() override {
    amplifier.reset();  // the panel leaves the connection before the connection goes
    rig.reset();
  }
  // Waits until the instrument holds `value` in `reg` (the panel's write went out).
  bool Reaches(unsigned reg, std::uint16_t value, std::uint16_t mask = 0xFFFF) {
    return rig->RunUntil([&] { return (rig->sim->Register(reg) & mask) == value; });
  }
  Counts S1() {
    Counts counts(4096);
    for (unsigned ch = 0; ch < 4096; ++ch) counts[ch] = rig->sim->Count(1, ch);
    return counts;
  }
  // The 662 keV peak of the counts that arrived over `seconds` of instrument time. Its centroid is
  // the mean within +-60 channels (about 2.4 sigma) of itself, found by iteration from the highest
  // channel or from `around`; channels cut by the window's edge count with the part inside. The
  // FWHM comes from the program's peak analysis.
  PeakResult PeakOver(double seconds, int around = 0) {
    const Counts before = S1();
    rig->sim->AdvanceTime(seconds);
    Counts after = S1();
    for (std::size_t ch = 0; ch < after.size(); ++ch) after[ch] -= before[ch];
    double centre = around;
    if (around == 0) {
      int top = 600;
      for (int ch = 600; ch < 1600; ++ch)
        if (after[static_cast<std::size_t>(ch)] > after[static_cast<std::size_t>(top)]) top = ch;
      centre = top;
    }
    PeakResult peak;
    EXPECT_EQ(AnalysePeak(after.data(), 4096, static_cast<int>(centre) - 50, static_cast<int>(centre) + 50, peak),
              kPeakFound);
    constexpr double kHalfWindow = 60.0;
    for (int pass = 0; pass < 30; ++pass) {
      double sum = 0, weighted = 0;
      const double low = centre - kHalfWindow, high = centre + kHalfWindow;
      for (int ch = static_cast<int>(low) - 1; ch <= static_cast<int>(high) + 1; ++ch) {
        const double inside = std::clamp(std::min(high, ch + 0.5) - std::max(low, ch - 0.5), 0.0, 1.0);
        sum += inside * after[static_cast<std::size_t>(ch)];
        weighted += inside * static_cast<double>(after[static_cast<std::size_t>(ch)]) * ch;
      }
      centre = weighted / sum;
    }
    peak.centroid = centre;
    return peak;
  }

  // The peak's centroid over each half minute of a ten-minute warm-up.
  std::vector<double> WarmUp() {
    std::vector<double> centroids;
    for (int k = 0; k < 20; ++k) centroids.push_back(PeakOver(30).centroid);
    return centroids;
  }

  std::unique_ptr<test::AcquisitionRig> rig;
  std::unique_ptr<RecordAmplifierHost> amplifierHost;
  std::unique_ptr<AmplifierPanel> amplifier;
};

TEST_F(AmplifierE2eTest, FineGainMovesThePeakByItsFactor) {
  Make(0.0);
  const double before = PeakOver(20).centroid;
  EXPECT_NEAR(before, 661.7 * 1.5, 6.0);
  amplifier->OnFineCodeChanged(4095);
  ASSERT_TRUE(Reaches(0x11, 0));
  const double after = PeakOver(20).centroid;
  // Channel k holds heights k .. k + 1: the factor applies to the heights.
  EXPECT_NEAR((after + 0.5) / (before + 0.5), 1.2, 0.003) << before << " -> " << after;
}

TEST_F(AmplifierE2eTest, OffsetsShiftThePeakAndAutoIgnoresTheAmplifierOffset) {
  Make(0.0);
  amplifier->OnAdcDefaultToggled(true);  // 8000: no shift
  ASSERT_TRUE(Reaches(0x01, 8000));
  const double base = PeakOver(10, 993).centroid;
  amplifier->OnAdcOffsetChanged(8800);  // + 100 channels
  ASSERT_TRUE(Reaches(0x01, 8800));
  EXPECT_NEAR(PeakOver(10, 1093).centroid - base, 100.0, 0.5);
  amplifier->OnAdcOffsetChanged(8000);
  amplifier->OnAutoToggled(false);
  amplifier->OnAmpOffsetChanged(0x8000 - 32 * 40);  // - 40 channels
  ASSERT_TRUE(Reaches(0x0C, 0x8000 - 32 * 40));
  ASSERT_TRUE(Reaches(0x10, 0, amp::kAutoOffsetBit));
  EXPECT_NEAR(PeakOver(10, 953).centroid - base, -40.0, 0.5);
  amplifier->OnAutoToggled(true);
  ASSERT_TRUE(Reaches(0x10, amp::kAutoOffsetBit, amp::kAutoOffsetBit));
  EXPECT_NEAR(PeakOver(10, 993).centroid - base, 0.0, 0.5);
}

TEST_F(AmplifierE2eTest, DigitalIoRegistersAreStoredAndReadBack) {
  Make(0.0);
  amplifier->OnRinSelected(1);
  amplifier->OnDriveSelected(Output::kT, 3);
  amplifier->OnFunctionSelected(Output::kS, 2);
  const std::uint16_t io = (1u << 15) | (1u << 12) | (1u << 8);
  ASSERT_TRUE(Reaches(0x4B, io));
  ASSERT_TRUE(Reaches(0x4C, 2 * 4));
  rig->host.record.registers[0x4B] = 0;  // forget them: the next status read brings them back
  rig->host.record.registers[0x4C] = 0;
  ASSERT_TRUE(rig->WaitForStatus());
  ASSERT_TRUE(rig->WaitForStatus());
  EXPECT_EQ(rig->host.record.registers[0x4B], io);
  AmplifierPanel fresh(*amplifierHost, rig->dialogs);
  fresh.Initialise();
  fresh.RefreshFromRecord();
  EXPECT_EQ(fresh.RinSelection(), 1);
  EXPECT_EQ(fresh.DriveSelection(Output::kT), 3);
  EXPECT_EQ(fresh.FunctionSelection(Output::kS), 2);
}

TEST_F(AmplifierE2eTest, WithDriftThePeakWandersWithoutTheStabilizer) {
  Make(-0.3);
  const std::vector<double> c = WarmUp();
  std::printf("without stabilizer: first %.2f last %.2f\n", c.front(), c.back());
  EXPECT_GT(c.front() - c.back(), 15.0);  // about -2.4 % of 993 channels
}

TEST_F(AmplifierE2eTest, WithDriftTheStabilizerHoldsThePeakWithinOneChannel) {
  Make(-0.3);
  const PeakResult start = PeakOver(20);
  // The user marks the peak, takes the recommended windows, presses OK and ticks Enable.
  StabilizerSettings dialog(rig->host.record, &rig->lifecycle.Link(), &rig->panel, rig->dialogs);
  dialog.Open();
  ASSERT_EQ(dialog.Recommend({4096, 4096, true, start.centroid, start.fwhm, 4096}), ProposalResult::kProposed);
  ASSERT_TRUE(dialog.Ok());
  const std::uint16_t inner = static_cast<std::uint16_t>(std::stoi(dialog.Texts()[1]));
  ASSERT_TRUE(Reaches(0x41, inner));
  amplifier->OnEnableToggled(true);
  ASSERT_TRUE(Reaches(0x40, 0x8000, 0x8000));
  const double settled = PeakOver(30).centroid;  // the stabilizer takes hold

  const std::vector<double> c = WarmUp();
  double worst = 0;
  for (double centroid : c) {
    worst = std::max(worst, std::abs(centroid - c.front()));
    std::printf(" %.2f", centroid);
  }
  std::printf("\n");
  std::printf("with stabilizer: set at %.2f, settled %.2f, first %.2f last %.2f, largest excursion %.2f\n",
              start.centroid, settled, c.front(), c.back(), worst);
  EXPECT_LE(worst, 1.0);
  EXPECT_NEAR(c.front(), start.centroid, 3.0);  // where the windows put it
}

}  // namespace
}  // namespace mirvo
