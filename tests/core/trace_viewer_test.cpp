// The trace viewer's logic on a plain BUFFER set: its tables, the registers it writes, the
// normalisation shifts, averaging, conversion and the painting decisions, RUN and the mode button
// against an engine whose port is closed, and the export of the block it holds.
#include "traces/TraceViewer.h"
#include "traces/TraceCapture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "FileTestSupport.h"
#include "FakeClock.h"
#include "LinkDoubles.h"
#include "protocol/CHardwareLink.h"

namespace mirvo {
namespace {

// A BUFFER set whose cursor may lie in a ROI of the test's choosing.
struct RoiHost : BufferSetPanelHost {
  using BufferSetPanelHost::BufferSetPanelHost;
  bool RoiAtCursor(int spectrum, int& first, int& last) override {
    if (!roiShown || spectrum != activeSpectrum) return false;
    first = roiFirst;
    last = roiLast;
    return true;
  }
  bool roiShown = false;
  int roiFirst = 0, roiLast = 0;
};

struct TraceViewerTest : ::testing::Test {
  TraceViewerTest() {
    viewer.Attach(lifecycle);
    viewer.Initialise();
    Image()[0x02] = 240;
    Image()[0x04] = 16;
    Image()[0x0B] = 4000;
  }
  RegisterImage& Image() { return buffers[0].registers; }
  void Respond() {
    link.SetConnected(true);
    link.SetResponding(true);
    viewer.RefreshFromStatus();
  }
  // Whether a request with this address went out since the last call (the port is closed, so the
  // engine stays busy with it).
  bool Sent(std::uint32_t address) {
    const bool sent = link.Busy() && link.TransmitBuffer().size() > 8 && packet::GetLong(link.TransmitBuffer(), 4) == address;
    return sent;
  }
  static TraceWords Constant(std::int16_t analog, std::uint16_t digital = 0) {
    TraceWords words{};
    for (std::size_t k = 0; k < kTraceSamples; ++k) {
      words[2 * k] = static_cast<std::uint16_t>(analog);
      words[2 * k + 1] = digital;
    }
    return words;
  }
  int Analog(std::size_t k) const { return static_cast<std::int16_t>(viewer.Block()[2 * k]); }

  std::array<SpectrumRecord, 4> buffers;
  RoiHost host{buffers};
  SamplePeriod period;
  ImageShaperGains gains{buffers[0].registers};
  test::RecordingLinkHost linkHost;
  test::NullTarget target;
  test::FakeSleeper sleeper;
  test::RecordedLifecycle lifecycle{linkHost, target, sleeper};
  CHardwareLink& link = lifecycle.Link();
  TraceViewer viewer{host, period, gains};
};

constexpr std::uint32_t kSettingsWrite = 0xC0800C;
constexpr std::uint32_t kTraceRead = 0x008000;

TEST(TraceTables, NamesAndCaptions) {
  EXPECT_STREQ(AnalogSignalName(0), "SLOW");
  EXPECT_STREQ(AnalogSignalName(3), "AUX");
  const char* plain[8] = {"F LLD", "S LLD", "PKDT", "STORE", "PUR", "INHIBIT", "INPUT R", "ROI-SCA"};
  const char* coinc[8] = {"F LLD", "S LLD", "PKDT", "STORE", "PUR", "COINC W", "COINC S", "ROI-SCA"};
  for (int i = 0; i < 8; ++i) {
    EXPECT_STREQ(DigitalSignalName(i, false), plain[i]);
    EXPECT_STREQ(DigitalSignalName(i, true), coinc[i]);
  }
}

TEST(TraceTables, TimeBaseValuesAndLabels) {
  struct Case {
    int index, value;
    const char *code0, *code1, *code2;
  };
  for (const Case& c : {Case{0, 8, "50ns/div", "40ns/div", "32ns/div"}, Case{1, 10, "100ns/div", "80ns/div", "64ns/div"},
                        Case{4, 15, "1us/div", "800ns/div", "640ns/div"}, Case{5, 20, "2us/div", "1.6us/div", "1.28us/div"},
                        Case{8, 60, "10us/div", "8us/div", "6.4us/div"},
                        Case{17, 50010, "10ms/div", "8ms/div", "6.4ms/div"}}) {
    EXPECT_EQ(TimeBaseValue(c.index), c.value);
    EXPECT_EQ(TimeBaseLabel(c.index, 0), c.code0);
    EXPECT_EQ(TimeBaseLabel(c.index, 3), c.code0);  // codes 0 and 3 share their labels
    EXPECT_EQ(TimeBaseLabel(c.index, 1), c.code1);
    EXPECT_EQ(TimeBaseLabel(c.index, 2), c.code2);
  }
  EXPECT_EQ(VerticalLabel(0), "2/div");
  EXPECT_EQ(VerticalLabel(9), "1k/div");
  EXPECT_EQ(VerticalLabel(12), "8k/div");
  EXPECT_EQ(VerticalLabel(18), "512k/div");
}

TEST(TraceTables, NormalisationShifts) {
  struct Divisor {
    int longTc, d;
  };
  for (const Divisor& c : {Divisor{4000, 4096}, Divisor{3072, 4096}, Divisor{3071, 2048}, Divisor{768, 1024},
                           Divisor{48, 64}, Divisor{47, 32}, Divisor{0, 32}})
    EXPECT_EQ(LongTcDivisor(c.longTc), c.d) << c.longTc;

  struct Case {
    std::uint16_t rise;
    double bdc;
    int longTc, limit, shift;
  };
  RegisterImage image;
  for (const Case& c : {Case{240, 1.0, 4000, 15, 9},     // x = 234
                        Case{0, 1.0, 4000, 15, 1},       // x = 0
                        Case{2040, 4.875, 8191, 15, 15},  // x = 19 890: 15 bits + 1, limited
                        Case{1020, 4.875, 8191, 10, 10},
                        Case{16, 1.0, 4000, 10, 5}}) {   // x = 15
    image[0x02] = c.rise;
    EXPECT_EQ(NormalisationShift(image, 0x02, c.bdc, c.longTc, c.limit), c.shift) << c.rise;
  }
  // The amplifier's fixed-gain path: 0x12 bit 14 with 0x3E bits 7:4 clear gives 3.
  image[0x02] = 240;
  image[0x12] = 0x4000;
  EXPECT_EQ(NormalisationShift(image, 0x02, 1.0, 4000, 15), 3);
  image[0x3E] = 0x0010;
  EXPECT_EQ(NormalisationShift(image, 0x02, 1.0, 4000, 15), 9);
}

TEST(TraceTables, ControlWordFields) {
  TraceControlFields f;
  f.signal = 2;
  f.coincidence = true;
  f.trigger = 5;
  f.invert = true;
  f.random = true;
  f.shifts = {9, 5};
  EXPECT_EQ(TraceControlWord(0, f), 0x5900 | 0x80 | 0x40 | (5 << 3) | 0x04 | 2);
  // Every field is rewritten: nothing of the previous word survives.
  EXPECT_EQ(TraceControlWord(0xFFFF, TraceControlFields{}), 0x1100);
}

TEST(TraceTables, DeflectionOfOneSample) {
  RegisterImage image;
  image[0x02] = 240;
  image[0x04] = 16;
  struct Case {
    int signal, vertical, analog;
    bool wide;
    long long offset;
    int limit, deflection;
  };
  for (const Case& c : {
           Case{2, 4, 100, false, 0, 255, -100},   // ADC: f = 200, halved, above the centre
           Case{2, 4, 100, true, 0, 255, -200},    // the wide area shows f itself
           Case{2, 4, 200, false, 0, 255, -127},   // limited to 255, then halved
           Case{2, 4, 200, true, 0, 248, -248},    // random mode limit
           Case{2, 3, 50, true, 0, 255, -200},     // below index 4: doubled
           Case{2, 6, 400, true, 0, 255, -200},    // above: shifted right
           Case{2, 4, 100, true, 50, 255, -150},   // the offset comes off first
           Case{2, 4, -100, true, 0, 255, 200},
           Case{0, 12, 20000, true, 0, 255, -166},  // SLOW: 20000 x 2^9 / 240 = 42666, shifted right by 8
       }) {
    TraceScale s = MakeTraceScale(image, c.signal, {9, 5}, 1.0);
    s.vertical = c.vertical;
    s.wide = c.wide;
    s.offset = c.offset;
    s.limit = c.limit;
    EXPECT_EQ(Deflection(s, c.analog), c.deflection) << c.signal << " " << c.vertical << " " << c.analog;
  }
  // Gain registers of 0 and a BDC of 0 divide by 1.
  RegisterImage zero;
  TraceScale s = MakeTraceScale(zero, 1, {3, 3}, 0.0);
  EXPECT_EQ(NormalisedValue(s, 10), 80);
  s.signal = 0;
  EXPECT_EQ(NormalisedValue(s, -10), -80);
}

TEST(TraceTables, PointSpacingAndLanes) {
  struct Step {
    int value;
    bool wide;
    int step, points;
  };
  for (const Step& c : {Step{8, false, 4, 64}, Step{10, false, 2, 128}, Step{20, false, 1, 255}, Step{8, true, 8, 64},
                        Step{10, true, 4, 128}, Step{20, true, 2, 255}}) {
    EXPECT_EQ(PointStep(c.value, c.wide), c.step) << c.value << c.wide;
    EXPECT_EQ(DrawnPoints(c.value, c.wide), c.points) << c.value << c.wide;
  }
  const TraceArea narrow{10, 20, 256, 256};  // centre y 148, s = 16
  EXPECT_EQ(LaneY(narrow, 1, false), 148 + 16);
  EXPECT_EQ(LaneY(narrow, 1, true), 148 + 8);
  EXPECT_EQ(LaneY(narrow, 8, false), 148 + 128 - 2);
  EXPECT_EQ(LaneY(narrow, 8, true), 148 + 128 - 8);
  const TraceArea wide{0, 0, 512, 512};
  EXPECT_EQ(LaneY(wide, 3, true), 256 + 96 - 16);

  // Grid: 17 + 17 lines and the ticks; every segment stays inside the area.
  const std::vector<Segment> grid = GridSegments(narrow);
  EXPECT_EQ(grid.size(), 17u + 17u + 65u + 65u);
  for (const Segment& g : grid) {
    EXPECT_GE(std::min(g.x1, g.x2), narrow.left);
    EXPECT_LE(std::max(g.x1, g.x2), narrow.left + narrow.width);
    EXPECT_GE(std::min(g.y1, g.y2), narrow.top);
    EXPECT_LE(std::max(g.y1, g.y2), narrow.top + narrow.height);
  }
  EXPECT_EQ(FitTraceArea(0, 0, 600, 600).width, 512);
  EXPECT_EQ(FitTraceArea(0, 0, 600, 400).width, 256);
}

TEST_F(TraceViewerTest, StartValues) {
  EXPECT_STREQ(viewer.ModeText(), "NRM");
  EXPECT_EQ(viewer.TimeLabel(), "2us/div");
  EXPECT_EQ(viewer.VerticalText(), "8k/div");
  EXPECT_EQ(viewer.DelayPosition(), 48);
  EXPECT_EQ(viewer.RunCaption(), "RUN");
  EXPECT_FALSE(viewer.Synchronised());
  EXPECT_FALSE(viewer.TraceRunning());
}

TEST_F(TraceViewerTest, ModeSequenceAndLimit) {
  const char* captions[] = {"SGL", "Av2", "Av4", "Av8", "Av16", "RND", "NRM"};
  const int limits[] = {255, 255, 255, 255, 255, 248, 255};
  for (int i = 0; i < 7; ++i) {
    viewer.OnMode();
    EXPECT_STREQ(viewer.ModeText(), captions[i]);
    EXPECT_EQ(viewer.DeflectionLimit(), limits[i]);
  }
}

TEST_F(TraceViewerTest, TimeBaseAndDelayRegisters) {
  struct Case {
    int index;
    std::uint16_t r18, r19;
  };
  for (const Case& c : {Case{0, 0, 12}, Case{1, 0, 24}, Case{2, 0, 48}, Case{5, 9, 48}, Case{17, 49999, 48}}) {
    while (viewer.TimeBaseIndex() > c.index) viewer.OnHorizontalMinus();
    while (viewer.TimeBaseIndex() < c.index) viewer.OnHorizontalPlus();
    viewer.ApplyToImage();
    EXPECT_EQ(Image()[0x18], c.r18) << c.index;
    EXPECT_EQ(Image()[0x19], c.r19) << c.index;
    EXPECT_EQ(viewer.DelayWritten(), c.r19);
  }
  viewer.OnHorizontalPlus();
  EXPECT_EQ(viewer.TimeBaseIndex(), 17);
  EXPECT_EQ(viewer.TimeLabel(), "10ms/div");
}

TEST_F(TraceViewerTest, ApplyWritesShiftsAndFields) {
  viewer.ApplyToImage();
  EXPECT_EQ(viewer.NormShifts(), (Shifts{9, 5}));
  EXPECT_EQ(Image()[0x1A], 0x5900);
  EXPECT_EQ(buffers[0].refreshEnable, 0);
  viewer.OnSignal(1);
  viewer.OnTrigger(3);
  viewer.OnInvert(true);
  viewer.ApplyToImage();
  EXPECT_EQ(Image()[0x1A], 0x5900 | 0x40 | (3 << 3) | 1);
}

TEST_F(TraceViewerTest, CommitSendsOnlyWhenRespondingAndSynchronised) {
  viewer.OnSignal(2);  // not synchronised: kept in the panel
  EXPECT_FALSE(link.Busy());
  viewer.CommitChange();  // not responding: the image may be refreshed again
  EXPECT_EQ(buffers[0].refreshEnable, 1);
  EXPECT_EQ(Image()[0x1A] & 3, 2);
  Respond();
  viewer.OnSignal(3);
  EXPECT_TRUE(Sent(kSettingsWrite));
  EXPECT_EQ(buffers[0].refreshEnable, 0);
}

TEST_F(TraceViewerTest, InputRTogglesTheCoincidenceAlternative) {
  viewer.OnTrigger(6);
  EXPECT_FALSE(viewer.Coincidence());
  viewer.OnTrigger(6);
  EXPECT_TRUE(viewer.Coincidence());
  EXPECT_STREQ(viewer.TriggerText(6), "COINC S");
  EXPECT_STREQ(viewer.TriggerText(5), "COINC W");
  viewer.ApplyToImage();
  EXPECT_TRUE(Image()[0x1A] & 0x04);
  viewer.OnTrigger(1);
  EXPECT_TRUE(viewer.Coincidence());  // another trigger keeps it
  viewer.OnTrigger(6);
  viewer.OnTrigger(6);
  EXPECT_FALSE(viewer.Coincidence());
  EXPECT_STREQ(viewer.TriggerText(6), "INPUT R");
}

TEST_F(TraceViewerTest, RoiScaWindowFromTheCursorAndBack) {
  viewer.OnTrigger(7);  // no ROI at the cursor: the window stays empty
  EXPECT_EQ(viewer.RoiStart(), 0);
  host.activeSpectrum = 2;
  buffers[2].factor = 4;
  host.roiShown = true;
  host.roiFirst = 100;
  host.roiLast = 150;
  viewer.OnTrigger(7);
  EXPECT_EQ(viewer.RoiStartText(), "2 - 100");
  EXPECT_EQ(viewer.RoiEndText(), "2 - 150");
  viewer.ApplyToImage();
  EXPECT_EQ(Image()[0x1B], 2 * 4096 + 400);
  EXPECT_EQ(Image()[0x1C], 2 * 4096 + 600);

  // Decoded back with the factor of that spectrum's BUFFER record.
  Image()[0x1B] = 1 * 4096 + 80;
  Image()[0x1C] = 1 * 4096 + 96;
  buffers[1].factor = 2;
  viewer.RefreshFromStatus();
  EXPECT_EQ(viewer.RoiStartText(), "1 - 40");
  EXPECT_EQ(viewer.RoiEndText(), "1 - 48");
  EXPECT_TRUE(viewer.Synchronised());
  // Another factor rewrites both texts although the registers did not change.
  buffers[1].factor = 8;
  viewer.RefreshFromStatus();
  EXPECT_EQ(viewer.RoiStartText(), "1 - 10");
  EXPECT_EQ(viewer.RoiEndText(), "1 - 12");
}

TEST_F(TraceViewerTest, Av4OverAConstantInputBuildsUp) {
  for (int i = 0; i < 3; ++i) viewer.OnMode();  // Av4
  ASSERT_STREQ(viewer.ModeText(), "Av4");
  const TraceWords input = Constant(400, 0x05);
  const int expected[] = {100, 200, 300, 400, 400, 400};
  for (int block = 0; block < 6; ++block) {
    viewer.ProcessTrace(input);
    EXPECT_EQ(Analog(0), expected[block]) << block;
    EXPECT_EQ(Analog(255), expected[block]);
    EXPECT_EQ(viewer.Block()[1], 0x05);  // the digital words stay as received
  }
  // RUN clears the ring: a quarter again.
  viewer.OnRun();
  viewer.ProcessTrace(input);
  EXPECT_EQ(Analog(0), 100);
  // Averaging keeps the sign of negative inputs.
  viewer.OnRun();
  viewer.ProcessTrace(Constant(-400));
  EXPECT_EQ(Analog(3), -100);
}

TEST_F(TraceViewerTest, NormalModeKeepsTheBlockAsReceived) {
  TraceWords words = Constant(0);
  words[20] = static_cast<std::uint16_t>(-1234);
  viewer.ProcessTrace(words);
  EXPECT_EQ(viewer.Block(), words);
  EXPECT_TRUE(viewer.HasBlock());
}

TEST_F(TraceViewerTest, VerticalScaleOffsetAndRescale) {
  // Index 12: a slider step is 2^8 counts.
  viewer.OnOffsetSlider(10);
  EXPECT_EQ(viewer.Offset(), 2560);
  EXPECT_EQ(viewer.OffsetSlider(), 10);
  EXPECT_EQ(viewer.OffsetBase(), 0);
  // Finer scale: the same offset is 20 steps of 2^7.
  viewer.OnVerticalMinus();
  EXPECT_EQ(viewer.VerticalText(), "4k/div");
  EXPECT_EQ(viewer.OffsetSlider(), 20);
  EXPECT_EQ(viewer.OffsetBase(), 0);
  // Far finer: the offset no longer fits the slider, which goes to 0 while the base keeps it.
  for (int i = 0; i < 9; ++i) viewer.OnVerticalMinus();
  EXPECT_EQ(viewer.VerticalIndex(), 2);
  EXPECT_EQ(viewer.OffsetSlider(), 0);
  EXPECT_EQ(viewer.OffsetBase(), 2560);
  viewer.OnOffsetSlider(8);  // below index 4 a step is 2^-2 counts
  EXPECT_EQ(viewer.Offset(), 2562);
  viewer.OnOffsetZero();
  EXPECT_EQ(viewer.Offset(), 0);
  EXPECT_EQ(viewer.OffsetSlider(), 0);
  EXPECT_EQ(viewer.OffsetBase(), 0);
}

TEST_F(TraceViewerTest, PointsOfAnAdcBlockAtVerticalIndexFour) {
  viewer.OnSignal(2);
  while (viewer.VerticalIndex() > 4) viewer.OnVerticalMinus();
  TraceWords words = Constant(100, 0x01);
  words[2 * 5 + 1] = 0x80;
  viewer.ProcessTrace(words);
  const TraceArea area{0, 0, 256, 256};
  const TraceTraces traces = viewer.Points(area);
  ASSERT_EQ(traces[0].size(), 255u);
  EXPECT_EQ(traces[0][0], (ScreenPoint{0, 128 - 100}));
  EXPECT_EQ(traces[0][254], (ScreenPoint{254, 28}));
  EXPECT_EQ(traces[1][0].y, 128 + 8);   // F LLD set
  EXPECT_EQ(traces[1][5].y, 128 + 16);  // F LLD clear
  EXPECT_EQ(traces[8][5].y, 128 + 128 - 8);
  EXPECT_EQ(traces[8][6].y, 128 + 128 - 2);
}

TEST_F(TraceViewerTest, PeakTakesEffectAtTheNextBlock) {
  viewer.OnSignal(2);
  while (viewer.VerticalIndex() > 4) viewer.OnVerticalMinus();
  const TraceArea area{0, 0, 512, 512};
  viewer.ProcessTrace(Constant(100));
  viewer.OnPeak(true);
  EXPECT_EQ(viewer.Points(area)[0][0].y, 256 - 200);
  viewer.ProcessTrace(Constant(100));
  EXPECT_EQ(viewer.Points(area)[0][0].y, 256);
}

TEST_F(TraceViewerTest, RunInItsFourCases) {
  // 1. Not responding: stays released.
  viewer.OnRun();
  EXPECT_FALSE(viewer.RunPressed());
  EXPECT_EQ(viewer.RunCaption(), "RUN");
  EXPECT_TRUE(lifecycle.AutoUpdateBox().AutoUpdate());

  Respond();
  // 3. Not running: runs, reads a trace, spectrum polling off.
  viewer.OnRun();
  EXPECT_TRUE(viewer.TraceRunning());
  EXPECT_EQ(viewer.RunCaption(), "STOP");
  EXPECT_TRUE(viewer.RunPressed());
  EXPECT_FALSE(lifecycle.AutoUpdateBox().AutoUpdate());
  EXPECT_TRUE(Sent(kSettingsWrite));  // the commit went first
  EXPECT_TRUE(link.Pending(8));       // the trace read and the status read wait their turn
  EXPECT_TRUE(link.Pending(12));
  // 4. Running: stops.
  viewer.OnRun();
  EXPECT_FALSE(viewer.TraceRunning());
  EXPECT_EQ(viewer.RunCaption(), "RUN");
  EXPECT_TRUE(lifecycle.AutoUpdateBox().AutoUpdate());

  // 2. Single: armed with the countdown, not running.
  link.ClearPendingRequests();
  link.SetBusy(false);
  viewer.OnMode();
  ASSERT_EQ(viewer.Mode(), kModeSingle);
  viewer.OnRun();
  EXPECT_FALSE(viewer.TraceRunning());
  EXPECT_EQ(viewer.SingleTracePending(), 2);
  EXPECT_EQ(viewer.RunCaption(), "ACQ");
  EXPECT_TRUE(viewer.RunPressed());
  EXPECT_TRUE(link.Pending(12));
  EXPECT_FALSE(link.Pending(8));
  viewer.ReleaseRunButton();
  EXPECT_EQ(viewer.RunCaption(), "RUN");
}

TEST_F(TraceViewerTest, EnteringSingleModeStopsARunningCapture) {
  Respond();
  viewer.OnRun();
  ASSERT_TRUE(viewer.TraceRunning());
  viewer.OnMode();
  EXPECT_FALSE(viewer.TraceRunning());
  EXPECT_EQ(viewer.RunCaption(), "RUN");
  EXPECT_TRUE(lifecycle.AutoUpdateBox().AutoUpdate());
}

TEST_F(TraceViewerTest, ExportOfTheHeldBlock) {
  TraceWords words = Constant(-7, 0x81);
  viewer.ProcessTrace(words);
  viewer.ApplyToImage();
  test::TempFolder dir;
  const std::string path = (dir.Path() / "t.csv").string();
  ASSERT_EQ(ExportTraceCsv(path, viewer.ExportInput(), false).status, kFileOk);
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 263u);
  EXPECT_EQ(lines[1], "Digital Signal: SLOW (RAW DATA)");
  EXPECT_EQ(lines[2], "Traces Averaged: SINGLE TRACE");
  EXPECT_EQ(lines[3], "Trigger Source: F LLD");
  EXPECT_EQ(lines[4], "Trigger Delay: 48 samples (3.8400 us)");
  EXPECT_EQ(lines[7], "0,-3.8400,-7,1,0,0,0,0,0,0,1");
  EXPECT_EQ(lines[7 + 48], "48,0.0000,-7,1,0,0,0,0,0,0,1");

  // Random mode names RANDOM whatever the trigger; the averaging count follows the mode.
  viewer.OnTrigger(4);
  for (int i = 0; i < 6; ++i) viewer.OnMode();
  ASSERT_EQ(viewer.Mode(), kModeRandom);
  ASSERT_EQ(ExportTraceCsv(path, viewer.ExportInput(), true).status, kFileOk);
  std::ifstream again(path);
  std::string line;
  for (int i = 0; i < 4; ++i) std::getline(again, line);
  EXPECT_EQ(line, "Trigger Source: RANDOM");
  EXPECT_EQ(viewer.ExportInput().slowShift, 9);
  viewer.OnMode();
  viewer.OnMode();
  viewer.OnMode();  // Av2
  EXPECT_EQ(AveragedTraces(viewer.Mode()), 2);
}

TEST(TraceCapturePlans, NamesAndValues) {
  std::string error;
  struct Trigger {
    const char* name;
    int index;
    bool coincidence, random;
  };
  for (const Trigger& t : {Trigger{"F LLD", 0, false, false}, Trigger{"ROI-SCA", 7, false, false},
                           Trigger{"COINC W", 5, true, false}, Trigger{"INPUT R", 6, false, false},
                           Trigger{"RANDOM", 0, false, true}}) {
    TraceCapturePlan plan;
    ASSERT_TRUE(ParseTraceTrigger(t.name, plan, error)) << t.name;
    EXPECT_EQ(plan.trigger, t.index);
    EXPECT_EQ(plan.coincidence, t.coincidence);
    EXPECT_EQ(plan.random, t.random);
  }
  TraceCapturePlan plan;
  EXPECT_FALSE(ParseTraceTrigger("f lld", plan, error));
  EXPECT_FALSE(ParseTraceSignal("Slow", plan, error));
  EXPECT_FALSE(ParseTraceTimeBase("18", plan, error));
  EXPECT_FALSE(ParseTraceDelay("-1", plan, error));
  EXPECT_FALSE(ParseTraceDelay("12x", plan, error));
  for (const char* bad : {"0", "3", "32", ""}) EXPECT_FALSE(ParseTraceAverage(bad, plan, error)) << bad;
  struct Mode {
    const char* average;
    int mode;
  };
  for (const Mode& m : {Mode{"1", kModeNormal}, Mode{"2", 1}, Mode{"4", 2}, Mode{"8", 3}, Mode{"16", 4}}) {
    ASSERT_TRUE(ParseTraceAverage(m.average, plan, error));
    EXPECT_EQ(PlanMode(plan), m.mode) << m.average;
  }
}

TEST_F(TraceViewerTest, APlanIsSetThroughTheButtons) {
  TraceCapturePlan plan;
  plan.signal = 1;
  plan.trigger = 6;
  plan.coincidence = true;
  plan.timeBaseIndex = 0;
  plan.delay = 100;
  plan.averaged = 8;
  ApplyTracePlan(viewer, plan);
  EXPECT_EQ(viewer.Mode(), 3);
  EXPECT_EQ(viewer.Signal(), 1);
  EXPECT_EQ(viewer.Trigger(), 6);
  EXPECT_TRUE(viewer.Coincidence());
  EXPECT_EQ(viewer.TimeBase(), 8);
  EXPECT_EQ(viewer.DelayWritten(), 25);
  plan.coincidence = false;
  plan.trigger = 5;
  ApplyTracePlan(viewer, plan);
  EXPECT_FALSE(viewer.Coincidence());
  EXPECT_EQ(viewer.Trigger(), 5);
}

TEST_F(TraceViewerTest, LeavingTheConnectionDetachesTheSink) {
  {
    TraceViewer other{host, period, gains};
    other.Attach(lifecycle);
    EXPECT_EQ(lifecycle.Policy().TraceSink(), &other);
  }
  EXPECT_EQ(lifecycle.Policy().TraceSink(), nullptr);
}

}  // namespace
}  // namespace mirvo
