#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "display/RecordSets.h"
#include "protocol/RegisterImage.h"
#include "records/CalibrationRecord.h"
#include "records/Captions.h"
#include "records/SpectrumRecord.h"

namespace mirvo {
namespace {

// ---------------------------------------------------------------- calibration record image

TEST(CalibrationRecord, ImageLaysEveryFieldAtItsOffset) {
  CalibrationRecord record;
  record.a = 1.5;
  record.b = -2.0;
  record.c = 0.25;
  record.channel[0] = 100.0;
  record.channel[15] = 4095.0;
  record.energy[0] = 661.657;
  record.ticked[0] = 1;
  record.ticked[15] = 1;
  record.useAll = 1;
  record.pointCount = 2;
  record.unitIndex = 2;
  record.enabled = 1;
  record.fomPeak2First = 0x11223344;
  record.fomPeak1First = 7;
  record.fomPeak1Last = 8;
  record.fomPeak2Last = -1;
  const auto image = record.ToBytes();
  ASSERT_EQ(image.size(), 376u);

  // 1.5 = 0x3FF8000000000000, little-endian.
  const std::array<std::uint8_t, 8> onePointFive = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F};
  EXPECT_TRUE(std::equal(onePointFive.begin(), onePointFive.end(), image.begin()));
  const auto i32 = [&image](std::size_t offset) {
    return static_cast<std::int32_t>(image[offset] | image[offset + 1] << 8 | image[offset + 2] << 16 |
                                     static_cast<std::uint32_t>(image[offset + 3]) << 24);
  };
  EXPECT_EQ(i32(280), 1);        // ticked 0
  EXPECT_EQ(i32(280 + 60), 1);   // ticked 15
  EXPECT_EQ(i32(344), 1);        // use-all
  EXPECT_EQ(i32(348), 2);        // points
  EXPECT_EQ(i32(352), 2);        // unit
  EXPECT_EQ(i32(356), 1);        // enabled
  EXPECT_EQ(i32(360), 0x11223344);  // FOM peak 2 first
  EXPECT_EQ(i32(364), 7);        // FOM peak 1 first
  EXPECT_EQ(i32(368), 8);        // FOM peak 1 last
  EXPECT_EQ(i32(372), -1);       // FOM peak 2 last
  EXPECT_EQ(image[372 + 3], 0xFF);

  CalibrationRecord back;
  ASSERT_EQ(back.FromBytes(image), 0);
  EXPECT_EQ(back, record);
  EXPECT_EQ(back.ToBytes(), image);
}

TEST(CalibrationRecord, ImageOfAnotherSizeIsRefusedAndChangesNothing) {
  CalibrationRecord record;
  record.pointCount = 3;
  const std::vector<std::uint8_t> shortImage(375, 0xAA);
  EXPECT_EQ(record.FromBytes(shortImage), -1);
  EXPECT_EQ(record.pointCount, 3);
  EXPECT_EQ(record.b, 1.0);
}

TEST(CalibrationRecord, UnitNamesAndUsedPoints) {
  CalibrationRecord record;
  EXPECT_STREQ(record.UnitName(), "chn");
  record.unitIndex = 1;
  EXPECT_STREQ(record.UnitName(), " eV");
  record.unitIndex = 7;
  EXPECT_STREQ(record.UnitName(), "chn");
  record.pointCount = 3;
  record.ticked = {1, 0, 1};
  EXPECT_EQ(record.UsedPointCount(), 2);
  record.useAll = 1;
  EXPECT_EQ(record.UsedPointCount(), 3);
}

// ---------------------------------------------------------------- captions

TEST(Captions, CutKeepsTheFirst36Characters) {
  const std::string forty(40, 'x');
  EXPECT_EQ(CutCaption(forty), std::string(36, 'x'));
  EXPECT_EQ(CutCaption("GAMMA"), "GAMMA");
  // Characters are counted, not bytes: a caption of accented letters keeps 36 of them.
  const std::string accented = std::string(35, 'a') + "\xC3\xA9" + "b";
  EXPECT_EQ(CutCaption(accented), std::string(35, 'a') + "\xC3\xA9");
  std::string cyrillic;
  for (int i = 0; i < 40; ++i) cyrillic += "\xD0\x96";
  EXPECT_EQ(CutCaption(cyrillic), cyrillic.substr(0, 72));
  EXPECT_EQ(CaptionCharacters(cyrillic), 40u);
}

TEST(Captions, PaneTitles) {
  EXPECT_EQ(BuildPaneTitle(1, "GAMMA+NEUTRONS", true, "", false, "ttyUSB0"), "S1: GAMMA+NEUTRONS");
  EXPECT_EQ(BuildPaneTitle(0, "TIPS", true, "", true, "ttyUSB0"), "S0: TIPS @ ttyUSB0");
  EXPECT_EQ(BuildPaneTitle(0, "TIPS", true, "", true, "Kvetral (COM7)"), "S0: TIPS @ COM7)");
  EXPECT_EQ(BuildPaneTitle(2, "GAMMA", false, "run1.mps  (tag)", true, "ttyUSB0"), "S2: GAMMA @ FILE: run1.mps  (tag)");
  EXPECT_EQ(BuildPaneTitle(3, "", true, "", false, ""), "S3: ");
}

// ---------------------------------------------------------------- record sets

struct RecordingListener : IRecordSetsListener {
  std::vector<std::pair<int, int>> tabs;
  int settingsRefreshes = 0;
  bool lastEnabled = true;
  SpectrumRecord* lastSettings = nullptr;
  int shownSpectrum = -1;
  std::vector<SpectrumPlot*> calibrationReloads;
  void TabSelected(int spectrum, int set) override { tabs.emplace_back(spectrum, set); }
  void RefreshSettingsPanels(SpectrumRecord& settings, bool enabled) override {
    ++settingsRefreshes;
    lastEnabled = enabled;
    lastSettings = &settings;
  }
  void ActiveSpectrumShown(SpectrumPlot&, int spectrum) override { shownSpectrum = spectrum; }
  void CalibrationCopiedOntoActive(SpectrumPlot& plot) override { calibrationReloads.push_back(&plot); }
};

class RecordSetsTest : public ::testing::Test {
 protected:
  SpectrumMemory memory;
  RecordingListener listener;
  RecordSets sets{memory, &listener};
};

TEST_F(RecordSetsTest, StartsWithTheInitialValues) {
  for (int k = 0; k < 4; ++k) {
    for (int set : {kBufferSet, kFileSet}) {
      const SpectrumRecord& r = sets.Plot(k, set).Record();
      EXPECT_EQ(r.spectrumIndex, k);
      EXPECT_EQ(r.live, set == kBufferSet ? 1 : 0);
      EXPECT_EQ(r.visible, set == kBufferSet ? 1 : 0);
      EXPECT_EQ(r.tag, "mirvo-PSD spectrum");
      EXPECT_EQ(r.fileLabel, "(Not Loaded)");
      EXPECT_EQ(r.firmwareVersion, 0);
      EXPECT_EQ(r.serialNumber, 0);
      EXPECT_EQ(r.slowAdcVolts, 0.0);
      EXPECT_EQ(r.bias, 0);
      EXPECT_EQ(r.internalTemperature, 0);
      EXPECT_EQ(r.registers[0x0F], 0x0E00);
      EXPECT_EQ(r.registers[0x10], 0);
      EXPECT_EQ(r.hardSize, 4096);
      EXPECT_EQ(r.softSize, 4096);
      EXPECT_EQ(r.working.b, 1.0);
      EXPECT_EQ(r.stored.pointCount, 0);
    }
    EXPECT_EQ(sets.PaneTitle(k), std::string(1, 'S').append(std::to_string(k)));
  }
  EXPECT_EQ(sets.BufferCaptions(), (std::array<std::string, 4>{"TIPS", "GAMMA+NEUTRONS", "GAMMA", "NEUTRONS"}));
  EXPECT_EQ(&sets.SettingsRecord(), &sets.LiveRecord());
  EXPECT_EQ(&sets.LiveRecord(), &sets.BufferPlot(0).Record());
  EXPECT_EQ(sets.ActiveSpectrumIndex(), 0);
  EXPECT_EQ(&sets.SavePlot(2), &sets.BufferPlot(2));
}

TEST_F(RecordSetsTest, BufferRecordsCountInSpectrumMemoryWithoutCopies) {
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(sets.BufferPlot(k).Record().hardCounts, memory.Spectrum(static_cast<std::size_t>(k)));
    EXPECT_NE(sets.FilePlot(k).Record().hardCounts, memory.Spectrum(static_cast<std::size_t>(k)));
  }
  const std::vector<std::uint8_t> chunk = {7, 0, 0, 0, 0, 0, 1, 0};  // 7, 0x10000
  memory.StoreChunk(2 * 4096 + 10, chunk);
  sets.BufferPlot(2).RebuildSoftSpectrum();
  EXPECT_EQ(sets.BufferPlot(2).SoftCount(10), 7u);
  EXPECT_EQ(sets.BufferPlot(2).SoftCount(11), 0x10000u);
  EXPECT_EQ(sets.FilePlot(2).SoftCount(10), 0u);
}

TEST_F(RecordSetsTest, SelectingFileOnTheActivePaneSwitchesAllFourAtTheNextTick) {
  sets.BufferPlot(3).GainFocus();
  sets.SyncIfRequested();
  EXPECT_EQ(sets.ActiveSpectrumIndex(), 3);

  sets.SelectTab(3, kFileSet);
  EXPECT_TRUE(sets.RefreshRequested());
  EXPECT_EQ(sets.SelectedTab(0), kBufferSet);  // nothing else moves before the tick
  const int refreshes = listener.settingsRefreshes;
  EXPECT_TRUE(sets.SyncIfRequested());
  EXPECT_EQ(listener.settingsRefreshes, refreshes + 1);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(sets.SelectedTab(k), kFileSet) << k;
    EXPECT_EQ(&sets.ActivePlot(k), &sets.FilePlot(k));
    EXPECT_TRUE(sets.FilePlot(k).Visible());
    EXPECT_FALSE(sets.BufferPlot(k).Visible());
  }
  EXPECT_EQ(sets.ShownSetMode(), kFileSet);
  EXPECT_EQ(&sets.SettingsRecord(), &sets.FilePlot(0).Record());
  EXPECT_FALSE(sets.SettingsRecordLive());
  EXPECT_FALSE(listener.lastEnabled);
  EXPECT_EQ(listener.lastSettings, &sets.FilePlot(0).Record());
  EXPECT_EQ(listener.shownSpectrum, 3);
  EXPECT_EQ(sets.PaneTitle(1), "S1: GAMMA+NEUTRONS @ FILE: (Not Loaded)");

  sets.SelectTab(3, kBufferSet);
  sets.SyncIfRequested();
  for (int k = 0; k < 4; ++k) EXPECT_EQ(sets.SelectedTab(k), kBufferSet) << k;
  EXPECT_EQ(&sets.SettingsRecord(), &sets.LiveRecord());
  EXPECT_TRUE(listener.lastEnabled);
  EXPECT_EQ(sets.ShownSetMode(), kBufferSet);
  EXPECT_FALSE(sets.RefreshRequested());  // the tabs the sync itself selected ask for nothing more
}

TEST_F(RecordSetsTest, SyncMakesTheAmplifierRereadRegister12) {
  sets.LiveRecord().registers[0x12] = 0x1234;
  sets.SyncShownSet();
  EXPECT_EQ(sets.LiveRecord().register12Copy, static_cast<std::uint16_t>(~0x1234));
}

TEST_F(RecordSetsTest, SoftSizeChangesOnlyTheActiveRecordOfTheActiveSpectrum) {
  sets.BufferPlot(2).GainFocus();
  EXPECT_EQ(sets.SoftSizeCommand(32814), 0);  // 512
  EXPECT_EQ(sets.BufferPlot(2).SoftSize(), 512);
  EXPECT_EQ(sets.BufferPlot(2).Factor(), 8);
  for (int k : {0, 1, 3}) EXPECT_EQ(sets.BufferPlot(k).SoftSize(), 4096) << k;
  EXPECT_EQ(sets.FilePlot(2).SoftSize(), 4096);
  EXPECT_TRUE(sets.SoftSizeChecked(512));
  sets.BufferPlot(1).GainFocus();
  EXPECT_TRUE(sets.SoftSizeChecked(4096));  // the check follows the active spectrum
  EXPECT_EQ(sets.SoftSizeCommand(12345), -1);
  EXPECT_EQ(sets.SetSoftSize(1000), -1);
  EXPECT_EQ(sets.BufferPlot(1).SoftSize(), 4096);
}

TEST_F(RecordSetsTest, CaptionsAreCutAndRetitleTheBufferPanes) {
  sets.SetConnection(true, "ttyACM0");
  EXPECT_EQ(sets.PaneTitle(0), "S0: TIPS @ ttyACM0");
  sets.ApplyCaptions({std::string(40, 'c'), "", "GAMMA", "N"});
  EXPECT_EQ(sets.BufferPlot(0).Record().caption, std::string(36, 'c'));
  EXPECT_EQ(sets.PaneTitle(0), "S0: " + std::string(36, 'c') + " @ ttyACM0");
  sets.SetConnection(false, "");
  EXPECT_EQ(sets.PaneTitle(1), "S1: ");
  EXPECT_EQ(sets.FilePlot(3).Record().caption, "NEUTRONS");  // FILE captions come from files only

  sets.BufferPlot(2).Record().caption = "LOADED";  // as the settings store loads one
  sets.RetitlePanes();
  EXPECT_EQ(sets.PaneTitle(2), "S2: LOADED");
}

TEST_F(RecordSetsTest, CaptionsWhileTheFileSetIsShownLeaveThePaneTitles) {
  sets.SelectTab(0, kFileSet);
  sets.PaneFocused(0);
  sets.SyncIfRequested();
  sets.ApplyCaptions({"A", "B", "C", "D"});
  EXPECT_EQ(sets.BufferPlot(0).Record().caption, "A");
  EXPECT_EQ(sets.PaneTitle(0), "S0: TIPS @ FILE: (Not Loaded)");
}

TEST_F(RecordSetsTest, CopyRoiRebuildsTheReceivingSoftFlags) {
  sets.BufferPlot(1).GainFocus();
  sets.SetSoftSize(1365);  // factor 3 on the BUFFER record of S1
  auto& fileRoi = sets.FilePlot(1).Record().hardRoi;
  fileRoi[30] = fileRoi[31] = fileRoi[32] = 1;  // soft channel 10, whole
  fileRoi[33] = fileRoi[34] = 1;                // soft channel 11, partly
  sets.CopyRoi(true);
  EXPECT_EQ(sets.BufferPlot(1).Record().hardRoi, fileRoi);
  EXPECT_TRUE(sets.BufferPlot(1).SoftRoi(10));
  EXPECT_FALSE(sets.BufferPlot(1).SoftRoi(11));

  sets.BufferPlot(0).Record().hardRoi[5] = 1;
  sets.CopyRoi(false);
  EXPECT_TRUE(sets.FilePlot(0).SoftRoi(5));
  EXPECT_EQ(sets.FilePlot(1).Record().hardRoi, sets.BufferPlot(1).Record().hardRoi);
}

TEST_F(RecordSetsTest, CopyCalibrationCarriesFomRangesAndReloadsTheActivePlot) {
  CalibrationRecord& from = sets.BufferPlot(0).Record().stored;
  from.fomPeak1First = 100;
  from.fomPeak1Last = 120;
  from.fomPeak2First = 300;
  from.fomPeak2Last = 330;
  from.pointCount = 2;
  sets.BufferPlot(2).Record().working.a = 0.5;
  sets.CopyCalibration(false);
  EXPECT_EQ(sets.FilePlot(0).Record().stored, from);
  EXPECT_EQ(sets.FilePlot(2).Record().working.a, 0.5);
  EXPECT_TRUE(listener.calibrationReloads.empty());  // the FILE records are not shown

  sets.FilePlot(0).Record().stored.fomPeak2Last = 999;
  sets.CopyCalibration(true);
  EXPECT_EQ(sets.BufferPlot(0).Record().stored.fomPeak2Last, 999);
  ASSERT_EQ(listener.calibrationReloads.size(), 1u);
  EXPECT_EQ(listener.calibrationReloads[0], &sets.BufferPlot(0));
}

TEST_F(RecordSetsTest, RoiModeReachesAllEightPlots) {
  sets.SetRoiMode(1);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(sets.BufferPlot(k).RoiMode(), 1);
    EXPECT_EQ(sets.FilePlot(k).RoiMode(), 1);
  }
  EXPECT_EQ(sets.RoiMode(), 1);
}

TEST_F(RecordSetsTest, SaveSetFollowsTheShownRecords) {
  sets.SelectTab(1, kFileSet);
  sets.PaneFocused(1);
  sets.SyncIfRequested();
  sets.SetSaveSet(false);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(&sets.SavePlot(k), &sets.FilePlot(k));
  sets.SetSaveSet(true);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(&sets.SavePlot(k), &sets.BufferPlot(k));
}

}  // namespace
}  // namespace mirvo
