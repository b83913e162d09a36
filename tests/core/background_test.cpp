// The background set: binding a background to a measurement's soft channels at every soft size and
// compression factor (hand values), the live-time scale (a background measured for twice the live
// time, a BUFFER live time that grows), net counts, refusal of another hard size with nothing
// changed, loading from a file, what a plot draws in each view, the commands' states and the
// settings kept.
#include <gtest/gtest.h>

#include <memory>

#include "FileTestSupport.h"
#include "display/BackgroundSet.h"
#include "display/PlotFrame.h"
#include "display/RecordSets.h"
#include "files/BackgroundFile.h"
#include "files/SpectrumFile.h"
#include "protocol/RegisterImage.h"
#include "shell/BackgroundCommands.h"
#include "shell/BackgroundSettings.h"
#include "shell/Commands.h"

using namespace mirvo;
using namespace mirvo::test;

namespace {

// Live time in whole hundredths of a second: ticks of 10 ms, no sample fraction.
void SetLiveSeconds(RegisterImage& registers, double seconds) {
  const auto ticks = static_cast<std::uint32_t>(seconds * 100.0 + 0.5);
  registers.Set(reg::kLiveTicksLow, static_cast<std::uint16_t>(ticks & 0xFFFFu));
  registers.Set(reg::kLiveTicksHigh, static_cast<std::uint16_t>(ticks >> 16));
  registers.Set(reg::kLiveFraction, 0);
}

// Background counts equal to the hard channel number: sums over a soft channel are easy by hand.
std::array<std::unique_ptr<SpectrumRecord>, 4> RampBackground(int hardSize) {
  std::array<std::unique_ptr<SpectrumRecord>, 4> records;
  for (int k = 0; k < 4; ++k) {
    auto record = std::make_unique<SpectrumRecord>();
    record->spectrumIndex = k;
    record->hardSize = record->softSize = hardSize;
    for (int j = 0; j < hardSize; ++j) record->hardCounts[j] = static_cast<std::uint32_t>(j);
    records[static_cast<std::size_t>(k)] = std::move(record);
  }
  return records;
}

std::array<const SpectrumRecord*, 4> View(const std::array<std::unique_ptr<SpectrumRecord>, 4>& records) {
  return {records[0].get(), records[1].get(), records[2].get(), records[3].get()};
}

class Background : public ::testing::Test {
 protected:
  void SetUp() override { SetLiveSeconds(sets.LiveRecord().registers, 100.0); }

  // Loads the ramp as a background measured for `live` seconds.
  void AdoptRamp(int hardSize = kMaxChannels, double live = 200.0) {
    const auto ramp = RampBackground(hardSize);
    std::string why;
    ASSERT_TRUE(AdoptBackground(sets, View(ramp), live, "ramp.mps", &why)) << why;
  }

  std::unique_ptr<SpectrumMemory> memory = std::make_unique<SpectrumMemory>();
  RecordSets sets{*memory};
};

// ---------------------------------------------------------------- binding and scale

TEST_F(Background, TheOverlayFollowsTheMeasurementsSoftSize) {
  struct Case {
    int softSize;
    int channel;
    double scaled;  // 0.5 x the sum of the hard channels under the soft channel
  };
  for (const Case& c : {Case{4096, 10, 5.0}, Case{2048, 10, 20.5},  // 20 + 21
                        Case{1365, 0, 1.5},                          // 0 + 1 + 2
                        Case{1365, 1364, 8187.0},                    // 4092 .. 4095, the leftover folded in
                        Case{1024, 1023, 8187.0},                    // 4092 .. 4095
                        Case{682, 681, 20452.5},                     // 4086 .. 4095
                        Case{512, 0, 14.0}}) {                       // 0 .. 7
    SCOPED_TRACE(c.softSize);
    SpectrumPlot& plot = sets.BufferPlot(2);
    plot.ApplySizes(kMaxChannels, c.softSize);
    AdoptRamp();
    std::string why;
    const auto bound = BackgroundFor(sets, plot, &why);
    ASSERT_TRUE(bound) << why;
    EXPECT_DOUBLE_EQ(bound->scale, 0.5);
    EXPECT_EQ(bound->counts.size(), static_cast<std::size_t>(c.softSize));
    EXPECT_DOUBLE_EQ(bound->Scaled(c.channel), c.scaled);
  }
}

TEST_F(Background, ASmallerHardSizeBindsWithTheMeasurementsFactor) {
  // A FILE measurement of 1024 channels shown as 512 (factor 2) and a 1024-channel background whose
  // own soft size is 1024: the measurement's factor decides.
  SpectrumPlot& plot = sets.FilePlot(1);
  plot.ApplySizes(1024, 512);
  SetLiveSeconds(sets.FilePlot(0).Record().registers, 30.0);
  sets.SelectTab(1, kFileSet);
  sets.PaneFocused(1);
  sets.SyncIfRequested();
  ASSERT_EQ(sets.ShownSetMode(), kFileSet);
  for (int k : {0, 2, 3}) sets.FilePlot(k).ApplySizes(1024, 1024);
  AdoptRamp(1024, 60.0);
  const auto bound = BackgroundFor(sets, plot);
  ASSERT_TRUE(bound);
  EXPECT_DOUBLE_EQ(bound->scale, 0.5);
  EXPECT_DOUBLE_EQ(bound->Scaled(3), 0.5 * (6 + 7));
  EXPECT_DOUBLE_EQ(bound->Scaled(511), 0.5 * (1022 + 1023));
  // The BUFFER plot of the same spectrum keeps 4096 channels: that one cannot be bound.
  std::string why;
  EXPECT_FALSE(BackgroundFor(sets, sets.BufferPlot(1), &why));
  EXPECT_NE(why.find("1024 channels and the spectrum 4096"), std::string::npos) << why;
}

TEST_F(Background, ABackgroundOfTwiceTheLiveTimeCountsHalf) {
  // Measurement: 100 s live, 40 counts a channel over a peak of 1000 in channel 20; background:
  // 200 s live, 60 counts a channel. Net = gross - 0.5 x background.
  SpectrumPlot& plot = sets.BufferPlot(1);
  for (int j = 0; j < kMaxChannels; ++j) plot.Record().hardCounts[j] = 40;
  plot.Record().hardCounts[20] = 1000;
  plot.RebuildSoftSpectrum();
  auto flat = RampBackground(kMaxChannels);
  for (auto& record : flat) std::fill(record->hardCounts, record->hardCounts + kMaxChannels, 60u);
  std::string why;
  ASSERT_TRUE(AdoptBackground(sets, View(flat), 200.0, "room.mps", &why)) << why;
  const auto bound = BackgroundFor(sets, plot);
  ASSERT_TRUE(bound);
  EXPECT_DOUBLE_EQ(bound->scale, 0.5);
  EXPECT_DOUBLE_EQ(bound->backgroundLive, 200.0);
  EXPECT_DOUBLE_EQ(bound->measurementLive, 100.0);
  double netArea = 0.0;
  for (int ch = 10; ch <= 30; ++ch) netArea += plot.SoftCount(ch) - bound->Scaled(ch);
  EXPECT_DOUBLE_EQ(netArea, 20 * (40 - 30) + (1000 - 30));
}

TEST_F(Background, TheBufferScaleFollowsTheGrowingLiveTime) {
  AdoptRamp(kMaxChannels, 50.0);
  for (const auto& [live, scale] : {std::pair{0.0, 0.0}, std::pair{10.0, 0.2}, std::pair{100.0, 2.0}}) {
    SetLiveSeconds(sets.LiveRecord().registers, live);
    const auto bound = BackgroundFor(sets, sets.BufferPlot(3));
    ASSERT_TRUE(bound) << live;
    EXPECT_DOUBLE_EQ(bound->scale, scale) << live;
  }
  // A FILE plot scales with the FILE set's own live time, not the instrument's.
  SetLiveSeconds(sets.FilePlot(0).Record().registers, 25.0);
  EXPECT_DOUBLE_EQ(BackgroundFor(sets, sets.FilePlot(3))->scale, 0.5);
}

// ---------------------------------------------------------------- refusal

TEST_F(Background, AnotherHardSizeIsRefusedAndNothingChanges) {
  AdoptRamp(kMaxChannels, 50.0);
  const std::uint32_t before = sets.Background().Record(1).hardCounts[100];
  struct Case {
    const char* name;
    int hardSize;
    double live;
    bool empty;
    const char* says;
  };
  for (const Case& c : {Case{"other size", 1024, 50.0, false, "S0: the background has 1024 channels and the spectrum 4096"},
                        Case{"no live time", kMaxChannels, 0.0, false, "no live time"},
                        Case{"no counts", kMaxChannels, 50.0, true, "holds no counts"}}) {
    SCOPED_TRACE(c.name);
    auto other = RampBackground(c.hardSize);
    for (auto& record : other) {
      if (c.empty)
        std::fill(record->hardCounts, record->hardCounts + kMaxChannels, 0u);
      else
        record->hardCounts[100] = 7;
    }
    std::string why;
    EXPECT_FALSE(AdoptBackground(sets, View(other), c.live, "other.mps", &why));
    EXPECT_NE(why.find(c.says), std::string::npos) << why;
    EXPECT_TRUE(sets.Background().Loaded());
    EXPECT_EQ(sets.Background().FileName(), "ramp.mps");
    EXPECT_DOUBLE_EQ(sets.Background().LiveSeconds(), 50.0);
    EXPECT_EQ(sets.Background().Record(1).hardCounts[100], before);
    EXPECT_EQ(sets.Background().Record(1).hardSize, kMaxChannels);
  }
}

TEST_F(Background, OnlyTheSpectraHoldingCountsMustMatch) {
  // An interchange file fills S1 only: the empty S0, S2 and S3 of another size do not matter.
  auto s1Only = RampBackground(kMaxChannels);
  for (int k : {0, 2, 3}) {
    std::fill(s1Only[static_cast<std::size_t>(k)]->hardCounts, s1Only[static_cast<std::size_t>(k)]->hardCounts + kMaxChannels, 0u);
    s1Only[static_cast<std::size_t>(k)]->hardSize = 1024;
  }
  std::string why;
  EXPECT_TRUE(AdoptBackground(sets, View(s1Only), 10.0, "s1.n42", &why)) << why;
}

// ---------------------------------------------------------------- drawing

TEST_F(Background, NetCountsAreRoundedAndNeverBelowZero) {
  SpectrumPlot& plot = sets.BufferPlot(0);
  plot.Record().hardCounts[5] = 100;
  plot.Record().hardCounts[6] = 100;
  plot.Record().hardCounts[7] = 10;
  plot.RebuildSoftSpectrum();
  AdoptRamp(kMaxChannels, 200.0);  // scale 0.5: background 2.5, 3 and 3.5 on channels 5 .. 7
  PlotBackground net;
  net.scaled = BackgroundFor(sets, plot);
  net.net = true;
  EXPECT_EQ(DrawnCount(plot, 5, &net), 98u);   // 97.5 rounds up
  EXPECT_EQ(DrawnCount(plot, 6, &net), 97u);
  EXPECT_EQ(DrawnCount(plot, 7, &net), 7u);    // 6.5
  EXPECT_EQ(DrawnCount(plot, 100, &net), 0u);  // 0 - 50
  PlotBackground overlay = net;
  overlay.net = false;
  EXPECT_EQ(DrawnCount(plot, 5, &overlay), 100u);  // the overlay leaves the measurement as it is
  EXPECT_EQ(DrawnCount(plot, 5, nullptr), 100u);
}

TEST_F(Background, EachViewDrawsWhatItsCaptionSays) {
  SpectrumPlot& plot = sets.BufferPlot(0);
  plot.SetLinearScaleIndex(16);
  const ClientRect client{0, 0, 1200, 400};
  PlotFrame frame;

  BuildPlotFrame(plot, client, frame, nullptr);
  EXPECT_TRUE(frame.overlay.empty());
  EXPECT_TRUE(frame.viewCaption.empty());

  // Loaded, but not shown while the view is off.
  AdoptRamp(kMaxChannels, 200.0);
  sets.Background().SetChosenView(BackgroundView::Off);
  PlotBackground off = PlotBackgroundFor(sets, plot);
  EXPECT_FALSE(off.scaled);
  EXPECT_TRUE(off.caption.empty());

  sets.Background().SetChosenView(BackgroundView::Overlay);
  const PlotBackground overlay = PlotBackgroundFor(sets, plot);
  EXPECT_EQ(overlay.caption, "+ BACKGROUND (x0.500)");
  BuildPlotFrame(plot, client, frame, &overlay);
  ASSERT_EQ(frame.overlay.size(), frame.points.size());
  // The ramp rises to the right; the measurement is empty, so only the overlay lifts the auto scale.
  EXPECT_LT(frame.overlay.back().y, frame.overlay.front().y);
  EXPECT_EQ(frame.highestY, frame.overlay.back().y);
  EXPECT_EQ(frame.viewCaption, overlay.caption);

  sets.Background().SetChosenView(BackgroundView::Net);
  const PlotBackground net = PlotBackgroundFor(sets, plot);
  EXPECT_TRUE(net.net);
  EXPECT_EQ(net.caption, "NET (background subtracted)");
  BuildPlotFrame(plot, client, frame, &net);
  EXPECT_TRUE(frame.overlay.empty());
  EXPECT_EQ(frame.highestY, frame.geometry.bottom);  // all net counts below zero: on the base line

  // A FILE set of another hard size says why it shows no background.
  sets.FilePlot(0).ApplySizes(1024, 1024);
  EXPECT_EQ(PlotBackgroundFor(sets, sets.FilePlot(0)).caption, "NO BACKGROUND: 4096 channels, spectrum 1024");
  EXPECT_FALSE(PlotBackgroundFor(sets, sets.FilePlot(0)).scaled);
}

TEST_F(Background, LogScaleNetDrawsOnlyPositiveCounts) {
  SpectrumPlot& plot = sets.BufferPlot(0);
  plot.SetLogarithmicScale();
  for (int j = 0; j < kMaxChannels; ++j) plot.Record().hardCounts[j] = 1000;
  plot.RebuildSoftSpectrum();
  AdoptRamp(kMaxChannels, 100.0);  // scale 1: net = 1000 - channel, below zero from channel 1001
  sets.Background().SetChosenView(BackgroundView::Net);
  const PlotBackground net = PlotBackgroundFor(sets, plot);
  PlotFrame frame;
  BuildPlotFrame(plot, ClientRect{0, 0, 4200, 400}, frame, &net);
  ASSERT_EQ(frame.points.size(), static_cast<std::size_t>(kMaxChannels));
  EXPECT_LT(frame.points[0].y, frame.geometry.bottom);
  EXPECT_EQ(frame.points[999].y, frame.geometry.bottom);  // net 1: no height on a log scale
  EXPECT_EQ(frame.points[2000].y, frame.geometry.bottom);
}

// ---------------------------------------------------------------- file, commands, settings

class BackgroundFile : public Background {
 protected:
  // Writes the BUFFER set of a second record set, with `live` seconds and `hardSize` channels.
  std::string WriteMeasurement(const std::string& name, double live, int hardSize) {
    auto otherMemory = std::make_unique<SpectrumMemory>();
    RecordSets other(*otherMemory);
    std::array<const SpectrumRecord*, 4> records{};
    for (int k = 0; k < 4; ++k) {
      SpectrumPlot& plot = other.FilePlot(k);
      plot.ApplySizes(hardSize, hardSize);
      for (int j = 0; j < hardSize; ++j) plot.Record().hardCounts[j] = static_cast<std::uint32_t>(k + 1);
      records[static_cast<std::size_t>(k)] = &plot.Record();
    }
    SetLiveSeconds(other.FilePlot(0).Record().registers, live);
    AcquisitionTimes times;
    times.liveSeconds = live;
    times.realSeconds = live;
    const std::string path = folder.File(name);
    EXPECT_TRUE(WriteSpectrumFile(records, path, times).Ok());
    return path;
  }
  // An IAEA SPE file of `channels` channels, each holding 2, measured for `live` seconds.
  std::string WriteSpe(const std::string& name, double live, int channels) {
    std::string text = "$SPEC_ID:\nroom\n$MEAS_TIM:\n" + std::to_string(live) + " " + std::to_string(live) +
                       "\n$DATA:\n0 " + std::to_string(channels - 1) + "\n";
    for (int j = 0; j < channels; ++j) text += "2\n";
    WriteWhole(folder.File(name), text);
    return folder.File(name);
  }
  TempFolder folder;
};

TEST_F(BackgroundFile, LoadsIntoTheBackgroundAndLeavesTheFileSet) {
  sets.FilePlot(2).Record().hardCounts[9] = 77;
  std::vector<std::string> notes;
  const FileResult result = LoadBackgroundFile(sets, WriteMeasurement("room.mps", 400.0, kMaxChannels), notes);
  ASSERT_TRUE(result.Ok()) << result.message;
  EXPECT_TRUE(sets.Background().Loaded());
  EXPECT_EQ(sets.Background().FileName(), "room.mps");
  EXPECT_DOUBLE_EQ(sets.Background().LiveSeconds(), 400.0);
  EXPECT_EQ(sets.Background().Record(2).hardCounts[9], 3u);
  EXPECT_EQ(sets.FilePlot(2).Record().hardCounts[9], 77u);
  EXPECT_EQ(sets.FilePlot(2).Record().fileLabel, kNotLoadedLabel);
  EXPECT_DOUBLE_EQ(BackgroundFor(sets, sets.BufferPlot(0))->scale, 0.25);
}

TEST_F(BackgroundFile, AFileThatDoesNotFitOrCannotBeReadChangesNothing) {
  std::vector<std::string> notes;
  ASSERT_TRUE(LoadBackgroundFile(sets, WriteMeasurement("room.mps", 400.0, kMaxChannels), notes).Ok());
  struct Case {
    std::string path;
    std::string message;
  };
  for (const Case& c : {Case{WriteSpe("small.spe", 400.0, 1024),
                             "Background not loaded\nS1: the background has 1024 channels and the spectrum 4096: a "
                             "background must have the same number of channels as the spectrum."},
                        Case{folder.File("missing.mps"), kUnableToOpenFile}}) {
    const FileResult result = LoadBackgroundFile(sets, c.path, notes);
    EXPECT_EQ(result.status, kFileCannotOpen);
    EXPECT_EQ(result.message, c.message);
    EXPECT_EQ(sets.Background().FileName(), "room.mps");
    EXPECT_EQ(sets.Background().Record(0).hardSize, kMaxChannels);
    EXPECT_EQ(sets.Background().Record(0).hardCounts[1000], 1u);
  }
}

TEST_F(BackgroundFile, AnInterchangeFileGoesToS1WithItsLiveTime) {
  std::vector<std::string> notes;
  const FileResult result = LoadBackgroundFile(sets, WriteSpe("room.spe", 50.0, kMaxChannels), notes);
  ASSERT_TRUE(result.Ok()) << result.message;
  EXPECT_FALSE(notes.empty());  // the reader says where the spectrum went
  EXPECT_DOUBLE_EQ(sets.Background().LiveSeconds(), 50.0);
  EXPECT_EQ(sets.Background().Record(1).hardCounts[4000], 2u);
  EXPECT_EQ(sets.Background().Record(2).hardCounts[4000], 0u);
  EXPECT_DOUBLE_EQ(BackgroundFor(sets, sets.BufferPlot(1))->Scaled(4000), 4.0);
}

TEST_F(Background, CommandsAreEnabledOnlyWithABackgroundAndTheViewsExcludeEachOther) {
  struct Step {
    int command;  // run first; 0: none
    bool loaded;
    bool overlay;
    bool net;
  };
  auto check = [this](const Step& s) {
    const CommandStates states = DecideBackgroundCommandStates(sets.Background());
    for (int command : {cmd::kCloseBackground, cmd::kShowBackground, cmd::kNetSpectrum})
      EXPECT_EQ(states.Enabled(command), s.loaded) << command;
    EXPECT_EQ(states.Checked(cmd::kShowBackground), s.overlay);
    EXPECT_EQ(states.Checked(cmd::kNetSpectrum), s.net);
  };
  check({0, false, false, false});
  AdoptRamp();
  for (const Step& s : {Step{0, true, true, false}, Step{cmd::kNetSpectrum, true, false, true},
                        Step{cmd::kShowBackground, true, true, false}, Step{cmd::kShowBackground, true, false, false},
                        Step{cmd::kNetSpectrum, true, false, true}, Step{cmd::kCloseBackground, false, false, false}}) {
    SCOPED_TRACE(s.command);
    sets.BufferPlot(0).TakeRedraw();
    if (s.command != 0) {
      EXPECT_TRUE(RunBackgroundCommand(sets, s.command));
      EXPECT_EQ(sets.BufferPlot(0).PendingRedraw(), RedrawKind::Full);
    }
    check(s);
  }
  EXPECT_FALSE(RunBackgroundCommand(sets, cmd::kOpenSpectrum));
  // The net view chosen last comes back with the next background.
  AdoptRamp();
  EXPECT_EQ(sets.Background().ShownView(), BackgroundView::Net);
}

TEST_F(Background, SettingsKeepTheOverlayColoursTheViewAndThePath) {
  MemorySettingsBackend backend;
  LoadBackgroundSettings(backend, sets);  // nothing stored: defaults
  EXPECT_EQ(sets.FilePlot(3).Colours().overlay, PlotColours::kDefaultOverlay);
  EXPECT_EQ(sets.Background().ChosenView(), BackgroundView::Overlay);
  EXPECT_EQ(LoadBackgroundPath(backend), "");

  PlotColours colours = sets.FilePlot(3).Colours();
  colours.overlay = 0x123456;
  sets.FilePlot(3).SetColours(colours);
  sets.Background().SetChosenView(BackgroundView::Net);
  SaveBackgroundSettings(backend, sets);
  SaveBackgroundPath(backend, "/data/room background.mps");
  EXPECT_EQ(backend.ReadInt(settings_key::kSpectrum, "FileOverlayColorS3"), 0x123456u);
  EXPECT_EQ(backend.ReadInt(settings_key::kSpectrum, "BufferOverlayColorS0"), PlotColours::kDefaultOverlay);

  auto otherMemory = std::make_unique<SpectrumMemory>();
  RecordSets again(*otherMemory);
  LoadBackgroundSettings(backend, again);
  EXPECT_EQ(again.FilePlot(3).Colours().overlay, 0x123456u);
  EXPECT_EQ(again.FilePlot(3).Colours().spectrum, PlotColours::kDefaultSpectrum);
  EXPECT_EQ(again.Background().ChosenView(), BackgroundView::Net);
  EXPECT_EQ(LoadBackgroundPath(backend), "/data/room background.mps");

  // A view number the program never writes is ignored.
  backend.WriteInt(settings_key::kSpectrum, settings_key::kBackgroundView, 9);
  LoadBackgroundSettings(backend, again);
  EXPECT_EQ(again.Background().ChosenView(), BackgroundView::Net);
}

}  // namespace
