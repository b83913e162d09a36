// The trace export: header lines, the time column from the time base and trigger delay, RAW and
// normalised values, the digital columns, and a failure that keeps the previous file.
#include <gtest/gtest.h>

#include "FileTestSupport.h"
#include "files/TraceCsv.h"

using namespace mirvo;
using namespace mirvo::test;

namespace {

class TraceExport : public ::testing::Test {
 protected:
  std::vector<std::string> Export(bool normalised) {
    EXPECT_TRUE(ExportTraceCsv(folder.File("t.csv"), input, normalised).Ok());
    return SplitLines(ReadWhole(folder.File("t.csv")));
  }
  TraceExportInput input;
  TempFolder folder;
};

TEST_F(TraceExport, WritesTheHeaderAndTheTimeColumnFromTheTrigger) {
  input.analog[0] = -12;
  input.digital[0] = 0x81;
  const auto lines = Export(false);
  ASSERT_EQ(lines.size(), 7u + 256u);
  const std::vector<std::string> head = {"mirvo-PSD Trace Viewer: Captured Traces",
                                         "Digital Signal: SLOW (RAW DATA)",
                                         "Traces Averaged: SINGLE TRACE",
                                         "Trigger Source: F LLD",
                                         "Trigger Delay: 48 samples (3.8400 us)",
                                         "",
                                         "Sample,Time [us],SLOW,F LLD,S LLD,PKDT,STORE,PUR,INHIBIT,INPUT R,ROI-SCA"};
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7), head);
  EXPECT_EQ(lines[7], "0,-3.8400,-12,1,0,0,0,0,0,0,1");
  EXPECT_EQ(lines[7 + 48], "48,0.0000,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(lines.back(), "255,16.5600,0,0,0,0,0,0,0,0,0");
}

TEST_F(TraceExport, ATimeBaseOf10OrLessTakesOnePointPerSample) {
  for (int value : {8, 10}) {
    input.timeBaseValue = value;
    EXPECT_DOUBLE_EQ(TracePointTime(input), 0.008);
  }
  input.timeBaseValue = 20;
  EXPECT_DOUBLE_EQ(TracePointTime(input), 0.08);
  input.timeBaseValue = 8;
  input.triggerDelay = 10;
  const auto lines = Export(false);
  EXPECT_EQ(lines[4], "Trigger Delay: 10 samples (0.0800 us)");
  EXPECT_EQ(lines[8].substr(0, 9), "1,-0.0720");
}

TEST_F(TraceExport, ModesAndCoincidenceNameTheirSources) {
  struct Case {
    int mode;
    int trigger;
    bool coincidence;
    const char* averaged;
    const char* source;
  };
  const std::vector<Case> cases = {{-2, 3, false, "SINGLE TRACE", "RANDOM"}, {-1, 5, true, "SINGLE TRACE", "COINC W"},
                                   {0, 6, false, "SINGLE TRACE", "INPUT R"}, {1, 7, false, "2", "ROI-SCA"},
                                   {4, 2, false, "16", "PKDT"}};
  for (const Case& c : cases) {
    input.mode = c.mode;
    input.triggerIndex = c.trigger;
    input.coincidence = c.coincidence;
    const auto lines = Export(false);
    EXPECT_EQ(lines[2], std::string("Traces Averaged: ") + c.averaged) << c.mode;
    EXPECT_EQ(lines[3], std::string("Trigger Source: ") + c.source) << c.mode;
  }
  input.coincidence = true;
  EXPECT_EQ(Export(false)[6], "Sample,Time [us],SLOW,F LLD,S LLD,PKDT,STORE,PUR,COINC W,COINC S,ROI-SCA");
}

TEST_F(TraceExport, NormalisedValuesAreScaledByTheShaperGains) {
  input.analog[0] = 1000;
  input.analog[1] = -1000;
  input.slowShift = 9;
  input.fastShift = 4;
  input.register02 = 300;
  input.register04 = 7;
  input.bdc = 1.125;
  struct Case {
    int signal;
    long long first;
    long long second;
  };
  // SLOW and AUX: a x 2^9 / (300 x 1.125); FAST: a x 2^4 / (7 x 1.125); ADC: 2a. Truncated toward zero.
  for (const Case& c : {Case{0, 1517, -1517}, Case{3, 1517, -1517}, Case{1, 2031, -2031}, Case{2, 2000, -2000}}) {
    input.analogSignal = c.signal;
    EXPECT_EQ(TraceExportValue(input, 0, true), c.first) << c.signal;
    EXPECT_EQ(TraceExportValue(input, 1, true), c.second) << c.signal;
    EXPECT_EQ(TraceExportValue(input, 0, false), 1000);
  }
  input.analogSignal = 0;
  input.register02 = 0;  // no gain: divided by 1
  EXPECT_EQ(TraceExportValue(input, 0, true), 512000);
  const auto lines = Export(true);
  EXPECT_EQ(lines[1], "Digital Signal: SLOW (NORMALIZED DATA)");
  EXPECT_EQ(lines[7], "0,-3.8400,512000,0,0,0,0,0,0,0,0");
}

TEST_F(TraceExport, TheCommandAddsCsvAsksAndReportsFailures) {
  ScriptedUserDialog dialog;
  ASSERT_TRUE(ExportTracesAs(folder.File("traces"), input, false, dialog).Ok());
  const std::string before = ReadWhole(folder.File("traces.csv"));
  input.analog.fill(5);
  dialog.answers = {false};
  EXPECT_EQ(ExportTracesAs(folder.File("traces"), input, false, dialog).status, kFileCancelled);
  FaultyFileSystem full;
  full.bytesBeforeFull = 200;
  EXPECT_EQ(ExportTracesAs(folder.File("traces.csv"), input, false, dialog, full).status, kFileWriteFailed);
  EXPECT_EQ(ReadWhole(folder.File("traces.csv")), before);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"traces.csv"});
  ASSERT_EQ(dialog.messages.size(), 1u);
  EXPECT_EQ(dialog.messages[0].text, "Error opening the file\nand saving the traces!");
}

}  // namespace
