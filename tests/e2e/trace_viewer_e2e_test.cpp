// The trace viewer against the in-process simulator: RUN polls the status until a trace is ready,
// reads it, and shows block after block; the trace starts at the trigger after the delay, and the
// export of the last block holds exactly what the viewer shows.
#include <gtest/gtest.h>

#include <fstream>

#include "AcquisitionRig.h"
#include "FileTestSupport.h"
#include "base/TextFormat.h"
#include "traces/TraceViewer.h"

namespace mirvo {
namespace {

struct TraceRig : test::AcquisitionRig {
  TraceRig() {
    viewer.Attach(lifecycle);
    viewer.Initialise();
  }
  std::vector<std::string> ExportLines(bool normalised) {
    const std::string path = folder.File("trace.csv");
    EXPECT_TRUE(ExportTraceCsv(path, viewer.ExportInput(), normalised).Ok());
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  BufferSetPanelHost panelHost{host.buffers};
  SamplePeriod period;
  ImageShaperGains gains{host.record.registers};
  TraceViewer viewer{panelHost, period, gains};
  test::TempFolder folder;
};

TEST(TraceViewerE2e, RunShowsTriggeredTracesAndTheExportMatchesTheLastBlock) {
  TraceRig rig;
  ASSERT_TRUE(rig.Connect());
  ASSERT_TRUE(rig.viewer.Synchronised());
  rig.viewer.OnRun();
  ASSERT_TRUE(rig.viewer.TraceRunning());
  EXPECT_FALSE(rig.lifecycle.Policy().AutoUpdateSwitch().AutoUpdate());
  // The viewer's settings reached the instrument: SLOW, F LLD, time base 20, delay 48.
  ASSERT_TRUE(rig.RunUntil([&] { return rig.viewer.BlocksShown() >= 4; }));
  EXPECT_EQ(rig.sim->Register(0x18), 9);
  EXPECT_EQ(rig.sim->Register(0x19), 48);
  EXPECT_EQ(rig.sim->Register(0x1A) & 0xFF, 0);

  // Stopped, the block stays as shown; it triggered on F LLD at point 48.
  rig.viewer.OnRun();
  EXPECT_TRUE(rig.lifecycle.Policy().AutoUpdateSwitch().AutoUpdate());
  const TraceWords block = rig.viewer.Block();
  EXPECT_EQ(block[2 * 47 + 1] & 1, 0);
  EXPECT_EQ(block[2 * 48 + 1] & 1, 1);
  int peak = 0;
  for (int k = 0; k < kTraceSamples; ++k) peak = std::max<int>(peak, static_cast<std::int16_t>(block[2 * k]));
  EXPECT_GT(peak, 200);  // a slow-shaper pulse, well above the noise

  const std::vector<std::string> lines = rig.ExportLines(false);
  ASSERT_EQ(lines.size(), 263u);
  EXPECT_EQ(lines[1], "Digital Signal: SLOW (RAW DATA)");
  EXPECT_EQ(lines[3], "Trigger Source: F LLD");
  for (int k = 0; k < kTraceSamples; ++k) {
    std::string row = FormatText("%d,%6.4f,%d", k, (k - 48) * 0.08, static_cast<std::int16_t>(block[2 * k]));
    for (int bit = 0; bit < 8; ++bit) row += (block[2 * k + 1] >> bit) & 1 ? ",1" : ",0";
    ASSERT_EQ(lines[static_cast<std::size_t>(7 + k)], row) << k;
  }
  // The drawn analog trace follows the block point for point.
  const TraceTraces traces = rig.viewer.Points({0, 0, 512, 512});
  TraceScale scale = rig.viewer.CurrentScale();
  scale.wide = true;
  for (std::size_t k = 0; k < traces[0].size(); ++k)
    ASSERT_EQ(traces[0][k].y, 256 + Deflection(scale, static_cast<std::int16_t>(block[2 * k]))) << k;
}

TEST(TraceViewerE2e, SingleShotShowsTheSecondBlockAndReleasesRun) {
  TraceRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.viewer.OnMode();
  ASSERT_EQ(rig.viewer.Mode(), kModeSingle);
  rig.viewer.OnRun();
  EXPECT_EQ(rig.viewer.RunCaption(), "ACQ");
  ASSERT_TRUE(rig.RunUntil([&] { return rig.viewer.SingleTracePending() == 0; }));
  EXPECT_EQ(rig.viewer.BlocksShown(), 1);
  EXPECT_EQ(rig.viewer.RunCaption(), "RUN");
  EXPECT_FALSE(rig.viewer.RunPressed());
  // The spectra are read again.
  const int folds = rig.host.statusFolds;
  EXPECT_TRUE(rig.RunUntil([&] { return rig.host.statusFolds > folds + 1; }));
}

TEST(TraceViewerE2e, CoincidenceWindowOpensWithTheFastTrigger) {
  TraceRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.viewer.OnTrigger(6);
  rig.viewer.OnTrigger(6);  // pressed again: COINC W and COINC S
  rig.viewer.OnTrigger(0);
  ASSERT_TRUE(rig.viewer.Coincidence());
  rig.viewer.OnRun();
  // The first block may predate the settings; the ones after it show the window.
  ASSERT_TRUE(rig.RunUntil([&] { return rig.viewer.BlocksShown() >= 3; }));
  rig.viewer.OnRun();
  EXPECT_TRUE(rig.sim->Register(0x1A) & 0x04);
  const TraceWords& block = rig.viewer.Block();
  EXPECT_EQ(block[2 * 47 + 1] & 0x21, 0);
  EXPECT_EQ(block[2 * 48 + 1] & 0x21, 0x21);  // F LLD and COINC W rise together
}

TEST(TraceViewerE2e, RandomTriggerGivesBaselineTraces) {
  TraceRig rig;
  ASSERT_TRUE(rig.Connect());
  for (int i = 0; i < 6; ++i) rig.viewer.OnMode();
  ASSERT_EQ(rig.viewer.Mode(), kModeRandom);
  rig.viewer.OnSignal(2);  // the raw ADC
  rig.viewer.OnRun();
  ASSERT_TRUE(rig.RunUntil([&] { return rig.viewer.BlocksShown() >= 2; }));
  EXPECT_TRUE(rig.sim->Register(0x1A) & 0x80);
  rig.viewer.OnRun();
  const std::vector<std::string> lines = rig.ExportLines(true);
  ASSERT_EQ(lines.size(), 263u);
  EXPECT_EQ(lines[3], "Trigger Source: RANDOM");
  EXPECT_EQ(lines[1], "Digital Signal: ADC (NORMALIZED DATA)");
}

}  // namespace
}  // namespace mirvo
