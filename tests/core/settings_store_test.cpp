#include <gtest/gtest.h>

#include "display/RecordSets.h"
#include "protocol/RegisterImage.h"
#include "records/Captions.h"
#include "shell/SettingsStore.h"

namespace mirvo {
namespace {

using namespace settings_key;

struct Fixture {
  SpectrumMemory memory;
  RecordSets sets{memory};
};

TEST(SettingsStore, FirstRunTakesTheDefaultsAndCloseWritesEverything) {
  MemorySettingsBackend backend;
  SettingsStore store(backend);
  EXPECT_EQ(store.LoadAppLook(), kBlackLook);
  EXPECT_FALSE(store.LoadWindowPlacement());

  Fixture f;
  f.sets.BufferPlot(2).SetColours({1, 2, 3, 4});
  store.LoadSpectra(f.sets);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(f.sets.BufferPlot(k).Colours(), PlotColours{});
    EXPECT_EQ(f.sets.FilePlot(k).Colours(), PlotColours{});
    EXPECT_EQ(f.sets.BufferPlot(k).Record().caption, kDefaultCaptions[static_cast<std::size_t>(k)]);
    EXPECT_EQ(f.sets.BufferPlot(k).Record().stored.pointCount, 0);
    EXPECT_EQ(f.sets.BufferPlot(k).Record().stored.b, 1.0);
  }

  store.SaveSpectra(f.sets);
  store.SaveWindowPlacement(WindowPlacement{});
  store.SaveAppLook(store.LoadAppLook());
  // 4 spectra x (8 colours + calibration + caption) + placement + look
  EXPECT_EQ(backend.ValueCount(), 4u * 10u + 2u);
  EXPECT_EQ(backend.ReadInt(kSpectrum, "BufferROIColorS3"), PlotColours::kDefaultRoi);
  EXPECT_EQ(backend.ReadBinary(kSpectrum, "CalibrationS0")->size(), 376u);
  EXPECT_EQ(backend.ReadText(kSpectrum, "CaptionS1"), "GAMMA+NEUTRONS");
  EXPECT_EQ(backend.ReadInt(kApp, kAppLook), kBlackLook);
}

TEST(SettingsStore, RestartRoundTripBringsTheCalibrationBackDisabled) {
  MemorySettingsBackend backend;
  SettingsStore store(backend);
  {
    Fixture f;
    f.sets.BufferPlot(1).SetColours({0x010203, 0x040506, 0x070809, 0x0A0B0C});
    f.sets.FilePlot(3).SetColours({11, 12, 13, 14});
    f.sets.ApplyCaptions({"Cs-137 run", "GAMMA+NEUTRONS", "GAMMA", "AmBe"});
    CalibrationRecord& calibration = f.sets.BufferPlot(1).Record().stored;
    calibration.pointCount = 2;
    calibration.channel[0] = 100;
    calibration.energy[0] = 661.7;
    calibration.b = 2.5;
    calibration.enabled = 1;
    calibration.fomPeak1First = 300;
    store.SaveSpectra(f.sets);
    store.SaveAppLook(32831);
  }
  Fixture g;
  store.LoadSpectra(g.sets);
  EXPECT_EQ(g.sets.BufferPlot(1).Colours(), (PlotColours{0x010203, 0x040506, 0x070809, 0x0A0B0C}));
  EXPECT_EQ(g.sets.FilePlot(3).Colours(), (PlotColours{11, 12, 13, 14}));
  EXPECT_EQ(g.sets.BufferPlot(0).Record().caption, "Cs-137 run");
  EXPECT_EQ(g.sets.BufferPlot(3).Record().caption, "AmBe");
  const CalibrationRecord& loaded = g.sets.BufferPlot(1).Record().stored;
  EXPECT_EQ(loaded.enabled, 0);
  EXPECT_EQ(loaded.pointCount, 2);
  EXPECT_EQ(loaded.energy[0], 661.7);
  EXPECT_EQ(loaded.b, 2.5);
  EXPECT_EQ(loaded.fomPeak1First, 300);
  EXPECT_EQ(store.LoadAppLook(), 32831u);
}

TEST(SettingsStore, DamagedValuesFallBackToTheDefaults) {
  MemorySettingsBackend backend;
  SettingsStore store(backend);
  {
    Fixture f;
    f.sets.BufferPlot(0).SetColours({1, 2, 3, 4});
    f.sets.BufferPlot(2).Record().stored.pointCount = 3;
    store.SaveSpectra(f.sets);
  }
  backend.Remove(kSpectrum, "BufferROIColorS0");                   // three of four colours
  backend.WriteText(kSpectrum, "CaptionS1", std::string(40, 'x'));  // does not fit 40 bytes with its zero
  backend.WriteText(kSpectrum, "CaptionS2", std::string(39, 'y'));  // fits
  CalibrationRecord tooMany;
  tooMany.pointCount = 11;
  tooMany.b = 3.0;
  const auto image = tooMany.ToBytes();
  backend.WriteBinary(kSpectrum, "CalibrationS3", std::vector<std::uint8_t>(image.begin(), image.end()));
  backend.WriteBinary(kSpectrum, "CalibrationS2", {1, 2, 3});  // not a calibration record

  Fixture g;
  store.LoadSpectra(g.sets);
  EXPECT_EQ(g.sets.BufferPlot(0).Colours(), PlotColours{});
  EXPECT_EQ(g.sets.BufferPlot(1).Record().caption, "GAMMA+NEUTRONS");
  EXPECT_EQ(g.sets.BufferPlot(2).Record().caption, std::string(39, 'y'));  // taken whole, not cut to 36
  EXPECT_EQ(g.sets.BufferPlot(3).Record().stored.pointCount, 0);
  EXPECT_EQ(g.sets.BufferPlot(3).Record().stored.b, 3.0);
  EXPECT_EQ(g.sets.BufferPlot(2).Record().stored.pointCount, 0);
}

TEST(SettingsStore, LookAndPlacement) {
  MemorySettingsBackend backend;
  SettingsStore store(backend);
  store.SaveFrameworkLook(32825);
  EXPECT_EQ(store.LoadAppLook(), 32825u);  // no App key: the framework's value
  backend.WriteInt(kApp, "Other", 1);
  EXPECT_EQ(store.LoadAppLook(), 0u);  // the key without the value

  WindowPlacement placement;
  placement.showCommand = 3;
  placement.left = -20;
  placement.top = 40;
  placement.right = 1900;
  placement.bottom = 1040;
  store.SaveWindowPlacement(placement);
  EXPECT_EQ(backend.ReadBinary(kWindowPos, kWinPos)->size(), 44u);
  EXPECT_EQ(store.LoadWindowPlacement(), placement);
  backend.WriteBinary(kWindowPos, kWinPos, std::vector<std::uint8_t>(43, 0));
  EXPECT_FALSE(store.LoadWindowPlacement());
}

}  // namespace
}  // namespace mirvo
