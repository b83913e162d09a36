// The spectrum file: the writer's layout, the round trip of a full set, the reader's rules on small
// files written from strings, malformed files, and saves that must never destroy the old file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>

#include "FileTestSupport.h"
#include "display/PeakAnalysis.h"
#include "display/RecordSets.h"
#include "files/LoadedSpectrumFile.h"
#include "files/SpectrumFile.h"
#include "files/SpectrumFileCommands.h"
#include "protocol/RegisterImage.h"

using namespace mirvo;
using namespace mirvo::test;

namespace {

constexpr int kLinesOfEmptyCalibrations = 16590;

class SpectrumFile : public ::testing::Test {
 protected:
  SpectrumRecord& Buffer(int k) { return sets.BufferPlot(k).Record(); }
  SpectrumRecord& File(int k) { return sets.FilePlot(k).Record(); }
  // Writes `content` as fixture.mps and loads it into the FILE set.
  FileResult LoadText(const std::string& content) {
    WriteWhole(folder.File("fixture.mps"), content);
    return LoadSpectrumFile(sets, folder.File("fixture.mps"));
  }

  // A BUFFER set with every field a file carries set to something recognisable.
  void FillBufferSet() {
    static constexpr std::array<int, 4> kSoftSizes = {4096, 1365, 682, 512};
    static constexpr std::array<int, 4> kPoints = {0, 3, 10, 3};
    for (int k = 0; k < 4; ++k) {
      SpectrumRecord& record = Buffer(k);
      for (int j = 0; j < kMaxChannels; ++j) record.hardCounts[j] = static_cast<std::uint32_t>((j * 7919u + k * 104729u) % 100003u);
      record.hardCounts[4095] = 4294967295u;
      for (int j = 100 + k; j < 130 + k; ++j) record.hardRoi[static_cast<std::size_t>(j)] = 1;
      record.caption = "Caption " + std::to_string(k) + "  with spaces";
      CalibrationRecord& stored = record.stored;
      stored.pointCount = kPoints[static_cast<std::size_t>(k)];
      for (int p = 0; p < stored.pointCount; ++p) {
        const auto slot = static_cast<std::size_t>(p);
        stored.channel[slot] = 100.5 + p * 10.25 + k;
        stored.energy[slot] = 661.657 + p * 0.125;
        stored.ticked[slot] = p % 2;
      }
      stored.enabled = k % 2;
      stored.unitIndex = k + 1;
      stored.useAll = k % 2 == 0 ? 1 : 0;
      sets.BufferPlot(k).ApplySizes(kMaxChannels, kSoftSizes[static_cast<std::size_t>(k)]);
    }
    SpectrumRecord& s0 = Buffer(0);
    s0.serialNumber = 42;
    s0.firmwareVersion = 123;
    s0.internalTemperature = -5;
    s0.slowAdcVolts = 1.25;
    s0.tag = "Run 7  cobalt";
    Buffer(1).tag = "not written";
    for (std::size_t r = 0; r < 256; ++r) s0.registers[r] = static_cast<std::uint16_t>(r * 517);
    s0.stored.fomPeak1First = 100;
    s0.stored.fomPeak1Last = 200;
    s0.stored.fomPeak2First = 300;
    s0.stored.fomPeak2Last = 400;
  }

  AcquisitionTimes times{12.5, 12.0, 4.0, "10/12/2020  14:33:02", "START TIME: SYSTEM"};
  SpectrumMemory memory;
  RecordSets sets{memory};
  TempFolder folder;
};

// ---------------------------------------------------------------- writer layout and round trip

TEST_F(SpectrumFile, WritesTheLayoutLineForLine) {
  Buffer(0).serialNumber = 42;
  Buffer(0).tag = "T";
  Buffer(0).firmwareVersion = 250;
  Buffer(0).internalTemperature = 31;
  Buffer(0).slowAdcVolts = 1.5;
  Buffer(0).hardCounts[0] = 17;
  Buffer(0).hardRoi[0] = 1;
  Buffer(0).hardCounts[1] = 17;
  Buffer(0).stored.pointCount = 1;
  Buffer(0).stored.channel[0] = 100.5;
  Buffer(0).stored.energy[0] = 661.657;
  Buffer(0).stored.ticked[0] = 1;
  Buffer(0).registers[0x7F] = 65535;
  ASSERT_TRUE(SaveSpectrumFile(sets, folder.File("a.mps"), true, times).Ok());
  const std::string text = ReadWhole(folder.File("a.mps"));
  ASSERT_EQ(text.back(), '\n');
  ASSERT_EQ(text.find('\r'), std::string::npos);
  const auto lines = SplitLines(text);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kLinesOfEmptyCalibrations + 3));
  const std::vector<std::string> head = {"<?xml version=\"1.0\"?>", "<Kvetral>", " <serialnumber>00042</serialnumber>",
                                         "<spectrum0>", "  <tag>T</tag>", "  <caption>TIPS</caption>",
                                         "  <hardsize>4096</hardsize>", "  <softsize>4096</softsize>", "  <data>",
                                         "+17", "17", "0"};
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 12), head);
  EXPECT_EQ(lines[4105], "  </data>");
  EXPECT_EQ(lines[4106], "</spectrum0>");
  EXPECT_EQ(lines[4108], "  <tag>T</tag>");  // S0's tag in every block
  EXPECT_EQ(lines[4109], "  <caption>GAMMA+NEUTRONS</caption>");
  const std::vector<std::string> tail = {
      "<time>", "  <real>   12.5000</real>", "  <live>   12.0000</live>", "  <dead>    4.0000</dead>",
      "  <date>10/12/2020  14:33:02</date>", "</time>", "<calibration0>", "  <enabled>NO</enabled>", "  <units>0</units>",
      "  <channelA>  100.5000</channelA>", "  <energyA>  661.6570</energyA>", "  <useA>1</useA>", "  <useall>NO</useall>",
      "</calibration0>"};
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 16419, lines.begin() + 16419 + 14), tail);
  const std::vector<std::string> end = {"<fom>", "  <left1>0</left1>", "  <right1>0</right1>", "  <left2>0</left2>",
                                        "  <right2>0</right2>", "</fom>", "<registers>", "  <size>128</size>", "  <data>"};
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 16448, lines.begin() + 16457), end);
  const std::vector<std::string> last = {"65535", "  </data>", "</registers>", "<volatile>",
                                         "  <firmware> 2.50</firmware>", "  <intemp>31</intemp>",
                                         "  <slowadc> 1.50</slowadc>", "</volatile>", "</Kvetral>"};
  EXPECT_EQ(std::vector<std::string>(lines.end() - 9, lines.end()), last);
}

TEST_F(SpectrumFile, RoundTripOfAFullSetRestoresEveryStoredField) {
  FillBufferSet();
  File(0).bias = 77;        // not in the file: kept
  File(1).stored.a = 5.0;   // coefficients are not in the file: kept
  ASSERT_TRUE(SaveSpectrumFile(sets, folder.File("full.mps"), true, times).Ok());
  EXPECT_EQ(SplitLines(ReadWhole(folder.File("full.mps"))).size(), static_cast<std::size_t>(kLinesOfEmptyCalibrations + 3 * 16));
  ASSERT_TRUE(LoadSpectrumFile(sets, folder.File("full.mps")).Ok());

  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const SpectrumRecord& in = Buffer(k);
    const SpectrumRecord& out = File(k);
    EXPECT_TRUE(std::equal(in.hardCounts, in.hardCounts + kMaxChannels, out.hardCounts));
    EXPECT_EQ(in.hardRoi, out.hardRoi);
    EXPECT_EQ(out.caption, in.caption);
    EXPECT_EQ(out.hardSize, kMaxChannels);
    EXPECT_EQ(out.softSize, in.softSize);
    EXPECT_EQ(out.factor, in.factor);
    EXPECT_EQ(out.softRoi, in.softRoi);
    EXPECT_TRUE(std::equal(in.softCounts, in.softCounts + in.softSize, out.softCounts));
    EXPECT_EQ(out.tag, "Run 7  cobalt");
    EXPECT_EQ(out.fileLabel, "full.mps  (Run 7  cobalt)");
    EXPECT_EQ(out.stored.pointCount, in.stored.pointCount);
    for (int p = 0; p < in.stored.pointCount; ++p) {
      const auto slot = static_cast<std::size_t>(p);
      EXPECT_EQ(out.stored.channel[slot], in.stored.channel[slot]);
      EXPECT_EQ(out.stored.energy[slot], in.stored.energy[slot]);
      EXPECT_EQ(out.stored.ticked[slot], in.stored.ticked[slot]);
    }
    EXPECT_EQ(out.stored.enabled, in.stored.enabled);
    EXPECT_EQ(out.stored.unitIndex, in.stored.unitIndex);
    EXPECT_EQ(out.stored.useAll, in.stored.useAll);
  }
  const SpectrumRecord& s0 = File(0);
  EXPECT_EQ(s0.serialNumber, 42);
  EXPECT_EQ(s0.firmwareVersion, 123);
  EXPECT_EQ(s0.internalTemperature, -5);
  EXPECT_DOUBLE_EQ(s0.slowAdcVolts, 1.25);
  EXPECT_EQ(s0.bias, 77);
  EXPECT_EQ(File(1).stored.a, 5.0);
  for (std::size_t r = 0; r < 128; ++r) EXPECT_EQ(s0.registers[r], Buffer(0).registers[r]) << r;
  EXPECT_EQ(s0.registers[200], 0);  // only the first 128 registers travel
  EXPECT_EQ(s0.stored.fomPeak1First, 100);
  EXPECT_EQ(s0.stored.fomPeak1Last, 200);
  EXPECT_EQ(s0.stored.fomPeak2First, 300);
  EXPECT_EQ(s0.stored.fomPeak2Last, 400);
}

TEST_F(SpectrumFile, OpenShowsTheFileSetWithItsSettings) {
  FillBufferSet();
  ASSERT_TRUE(SaveSpectrumFile(sets, folder.File("shown.mps"), true, times).Ok());
  ScriptedUserDialog dialog;
  ASSERT_TRUE(OpenSpectrum(sets, folder.File("shown.mps"), dialog).Ok());
  EXPECT_TRUE(dialog.messages.empty());
  EXPECT_EQ(sets.ShownSetMode(), kFileSet);
  EXPECT_FALSE(sets.SettingsRecordLive());
  EXPECT_EQ(&sets.SettingsRecord(), &File(0));
  for (int k = 0; k < 4; ++k) EXPECT_EQ(sets.SelectedTab(k), kFileSet);
  EXPECT_EQ(sets.PaneTitle(2), "S2: Caption 2  with spaces @ FILE: shown.mps  (Run 7  cobalt)");

  // A whole file has nothing to tell; a truncated one still opens, and the window is told what is missing.
  std::vector<std::string> told;
  ASSERT_TRUE(OpenSpectrum(sets, folder.File("shown.mps"), dialog, &told).Ok());
  EXPECT_TRUE(told.empty());
  const std::string whole = ReadWhole(folder.File("shown.mps"));
  WriteWhole(folder.File("cut.mps"), whole.substr(0, whole.size() / 3));
  ASSERT_TRUE(OpenSpectrum(sets, folder.File("cut.mps"), dialog, &told).Ok());
  ASSERT_FALSE(told.empty());
  EXPECT_EQ(told.back(), "Warning: cut.mps: the file ends early (truncated?)");
}

// ---------------------------------------------------------------- the reader's rules

std::string Spectrum(int k, const std::string& body) {
  return "<spectrum" + std::to_string(k) + ">\n" + body + "</spectrum" + std::to_string(k) + ">\n";
}

TEST_F(SpectrumFile, APlusMarksTheChannelAndCountsTheSame) {
  ASSERT_TRUE(LoadText(Spectrum(0, "<data>\n+17\n17\n+0\n</data>\n")).Ok());
  EXPECT_EQ(File(0).hardCounts[0], 17u);
  EXPECT_EQ(File(0).hardRoi[0], 1);
  EXPECT_EQ(File(0).hardCounts[1], 17u);
  EXPECT_EQ(File(0).hardRoi[1], 0);
  EXPECT_EQ(File(0).hardRoi[2], 1);
}

TEST_F(SpectrumFile, AHardSizeOf1024FillsOnlyThoseChannels) {
  std::string data = "  <hardsize>1024</hardsize>\n<data>\n";
  for (int j = 0; j < 1100; ++j) data += "5\n";
  ASSERT_TRUE(LoadText(Spectrum(1, data + "</data>\n")).Ok());
  const SpectrumRecord& s1 = File(1);
  EXPECT_EQ(s1.hardSize, 1024);
  EXPECT_EQ(std::count(s1.hardCounts, s1.hardCounts + kMaxChannels, 5u), 1024);
  EXPECT_EQ(s1.hardCounts[1023], 5u);
  EXPECT_EQ(s1.hardCounts[1024], 0u);
}

TEST_F(SpectrumFile, AHardSizeAfterTheCountsLeavesNothingBeyondIt) {
  std::string data = "<data>\n";
  for (int j = 0; j < kMaxChannels; ++j) data += "+5\n";
  ASSERT_TRUE(LoadText(Spectrum(1, data + "</data>\n<hardsize>1024</hardsize>\n")).Ok());
  const SpectrumRecord& s1 = File(1);
  EXPECT_EQ(s1.hardSize, 1024);
  EXPECT_EQ(std::count(s1.hardCounts, s1.hardCounts + kMaxChannels, 5u), 1024);
  EXPECT_EQ(std::count(s1.hardRoi.begin(), s1.hardRoi.end(), 1), 1024);
}

struct SizeCase {
  const char* name;
  std::string lines;
  int hard;
  int soft;
};

class SizeClamps : public SpectrumFile, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(SizeClamps, SizesAreBroughtIntoRange) {
  ASSERT_TRUE(LoadText(Spectrum(2, GetParam().lines)).Ok());
  EXPECT_EQ(File(2).hardSize, GetParam().hard);
  EXPECT_EQ(File(2).softSize, GetParam().soft);
  EXPECT_EQ(File(2).factor, GetParam().hard / GetParam().soft);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, SizeClamps,
    ::testing::Values(SizeCase{"SoftAboveHardIsLowered", "<hardsize>1024</hardsize>\n<softsize>2048</softsize>\n", 1024, 1024},
                      SizeCase{"SoftOf100IsRaisedTo512", "<softsize>100</softsize>\n", 4096, 512},
                      SizeCase{"SoftSizeDefaultsTo512InABlock", "<caption>x</caption>\n", 4096, 512},
                      SizeCase{"HardOf100IsRaisedTo512", "<hardsize>100</hardsize>\n<softsize>4096</softsize>\n", 512, 512},
                      SizeCase{"HardBeyond32BitsIs4096", "<hardsize>99999999999</hardsize>\n<softsize>1000</softsize>\n", 4096, 1000},
                      SizeCase{"NegativeSoftSize", "<softsize>-4096</softsize>\n", 4096, 512},
                      SizeCase{"SpacesInsideTheNumber", "< softsize >  1365 </ softsize >\n", 4096, 1365}),
    [](const ::testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.name); });

TEST_F(SpectrumFile, CarriageReturnLineEndsLoadTheSame) {
  FillBufferSet();
  ASSERT_TRUE(SaveSpectrumFile(sets, folder.File("lf.mps"), true, times).Ok());
  std::string crlf;
  for (char c : ReadWhole(folder.File("lf.mps"))) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  WriteWhole(folder.File("crlf.mps"), crlf);

  SpectrumMemory otherMemory;
  RecordSets other(otherMemory);
  ASSERT_TRUE(LoadSpectrumFile(sets, folder.File("lf.mps")).Ok());
  ASSERT_TRUE(LoadSpectrumFile(other, folder.File("crlf.mps")).Ok());
  for (int k = 0; k < 4; ++k) {
    const SpectrumRecord& a = File(k);
    const SpectrumRecord& b = other.FilePlot(k).Record();
    EXPECT_TRUE(std::equal(a.hardCounts, a.hardCounts + kMaxChannels, b.hardCounts));
    EXPECT_EQ(a.hardRoi, b.hardRoi);
    EXPECT_EQ(a.caption, b.caption);
    EXPECT_EQ(b.tag, "Run 7  cobalt");
    EXPECT_EQ(a.softSize, b.softSize);
    EXPECT_EQ(a.stored, b.stored);
  }
  EXPECT_EQ(File(0).registers, other.FilePlot(0).Record().registers);
  EXPECT_EQ(other.FilePlot(0).Record().firmwareVersion, 123);
}

TEST_F(SpectrumFile, ALongLineIsReadAsPiecesOf255WithTheNextCharacterDropped) {
  // 300 characters: "5", 254 spaces, "X" (the 256th, dropped), "7", 43 spaces.
  const std::string longLine = "5" + std::string(254, ' ') + "X7" + std::string(43, ' ');
  ASSERT_EQ(longLine.size(), 300u);
  ASSERT_TRUE(LoadText(Spectrum(0, "<data>\n" + longLine + "\n9\n</data>\n")).Ok());
  EXPECT_EQ(File(0).hardCounts[0], 5u);
  EXPECT_EQ(File(0).hardCounts[1], 7u);
  EXPECT_EQ(File(0).hardCounts[2], 9u);
}

TEST_F(SpectrumFile, TagsAndCaptionsKeepTheirSpacesAndNumbersReadThroughThem) {
  ASSERT_TRUE(LoadText(Spectrum(3, "  <tag>  my  tag </tag>\n  <caption>A B</caption>\n") +
                       "<calibration3>\n  <channelA>  100.5000</channelA>\n  <energyA>   -12.2500</energyA>\n"
                       "  <useA>0</useA>\n</calibration3>\n")
                  .Ok());
  EXPECT_EQ(File(3).tag, "  my  tag ");
  EXPECT_EQ(File(3).caption, "A B");
  EXPECT_EQ(File(3).fileLabel, "fixture.mps  (  my  tag )");
  EXPECT_EQ(File(3).stored.pointCount, 1);
  EXPECT_EQ(File(3).stored.channel[0], 100.5);
  EXPECT_EQ(File(3).stored.energy[0], -12.25);
  EXPECT_EQ(File(3).stored.ticked[0], 0);
  EXPECT_EQ(File(3).stored.ticked[1], 1);  // reset
}

TEST_F(SpectrumFile, WithoutATagEveryRecordIsLabelledWithTheFileName) {
  File(2).tag = "old";
  ASSERT_TRUE(LoadText("<?xml version=\"1.0\"?>\n<Kvetral>\n" + Spectrum(0, "<caption>only S0</caption>\n")).Ok());
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(File(k).tag, "fixture.mps");
    EXPECT_EQ(File(k).fileLabel, "fixture.mps");
  }
}

TEST_F(SpectrumFile, ALoadResetsCountsAndPointsButKeepsWhatTheFileDoesNotHold) {
  File(1).hardCounts[10] = 99;
  File(1).hardRoi[10] = 1;
  File(1).caption = "kept caption";
  File(1).stored.pointCount = 4;
  File(1).stored.useAll = 0;
  File(1).stored.enabled = 1;
  File(0).registers[5] = 1234;
  ASSERT_TRUE(LoadText("nothing useful\n").Ok());
  EXPECT_EQ(File(1).hardCounts[10], 0u);
  EXPECT_EQ(File(1).hardRoi[10], 0);
  EXPECT_EQ(File(1).caption, "kept caption");
  EXPECT_EQ(File(1).stored.pointCount, 0);
  EXPECT_EQ(File(1).stored.useAll, 1);
  EXPECT_EQ(File(1).stored.enabled, 1);
  EXPECT_EQ(File(0).registers[5], 1234);
}

TEST_F(SpectrumFile, StatusValuesAndCalibrationFlagsAreRead) {
  ASSERT_TRUE(LoadText(" <serialnumber>00042</serialnumber>\n<volatile>\n  <firmware> 1.23</firmware>\n"
                       "  <intemp>-7</intemp>\n  <slowadc> 2.75</slowadc>\n  <bias>-120</bias>\n  <cpwr>1</cpwr>\n"
                       "</volatile>\n<calibration2>\n<enabled>YES</enabled>\n<units>3</units>\n<useall>NO</useall>\n"
                       "</calibration2>\n<fom>\n<left1>10</left1>\n<right1>20</right1>\n<left2>30</left2>\n"
                       "<right2>40</right2>\n</fom>\n")
                  .Ok());
  EXPECT_EQ(File(0).serialNumber, 42);
  EXPECT_EQ(File(0).firmwareVersion, 123);  // 1.23 x 100 is 122.99999...: rounded, not truncated
  EXPECT_EQ(File(0).internalTemperature, -7);
  EXPECT_EQ(File(0).slowAdcVolts, 2.75);
  EXPECT_EQ(File(0).bias, -120);
  EXPECT_EQ(File(2).stored.enabled, 1);
  EXPECT_EQ(File(2).stored.unitIndex, 3);
  EXPECT_EQ(File(2).stored.useAll, 0);
  const CalibrationRecord& fom = File(0).stored;
  EXPECT_EQ((std::array<int, 4>{fom.fomPeak1First, fom.fomPeak1Last, fom.fomPeak2First, fom.fomPeak2Last}),
            (std::array<int, 4>{10, 20, 30, 40}));
}

TEST_F(SpectrumFile, NeverCountsMoreThanTenCalibrationPoints) {
  std::string body;
  for (char letter : std::string("ABCDEFGHIJAB")) body += std::string("<channel") + letter + ">1</channel" + letter + ">\n";
  ASSERT_TRUE(LoadText("<calibration1>\n" + body + "<channelK>5</channelK>\n</calibration1>\n").Ok());
  EXPECT_EQ(File(1).stored.pointCount, CalibrationRecord::kMaxPoints);
}

TEST_F(SpectrumFile, RegisterWordsNeedASizeFirstAndKeepTheirLow16Bits) {
  File(0).registers[0] = 11;
  ASSERT_TRUE(LoadText("<registers>\n<data>\n5\n</data>\n</registers>\n").Ok());
  EXPECT_EQ(File(0).registers[0], 11);  // no size: nothing stored
  ASSERT_TRUE(LoadText("<registers>\n<size>300</size>\n<data>\n65539\n-1\n</data>\n</registers>\n").Ok());
  EXPECT_EQ(File(0).registers[0], 3);
  EXPECT_EQ(File(0).registers[1], 65535);
}

// ---------------------------------------------------------------- files that are not what they claim

struct CountCase {
  const char* line;
  std::uint32_t count;
  int roi;
};

TEST_F(SpectrumFile, CountsThatDoNotFit32BitsStopAtTheLargestCount) {
  const std::vector<CountCase> cases = {{"99999999999999999999", 4294967295u, 0}, {"4294967296", 4294967295u, 0},
                                        {"+4294967295", 4294967295u, 1},         {"-5", 0u, 0},
                                        {"+", 0u, 1},                            {"12abc", 12u, 0}};
  std::string data = "<data>\n";
  for (const auto& c : cases) data += std::string(c.line) + "\n";
  ASSERT_TRUE(LoadText(Spectrum(0, data + "</data>\n")).Ok());
  for (std::size_t j = 0; j < cases.size(); ++j) {
    EXPECT_EQ(File(0).hardCounts[j], cases[j].count) << cases[j].line;
    EXPECT_EQ(File(0).hardRoi[j], cases[j].roi) << cases[j].line;
  }
}

TEST_F(SpectrumFile, MalformedFilesLoadAsTheResetLeavesTheSet) {
  FillBufferSet();
  ASSERT_TRUE(SaveSpectrumFile(sets, folder.File("whole.mps"), true, times).Ok());
  const std::string whole = ReadWhole(folder.File("whole.mps"));
  std::mt19937 random(7);
  std::string garbage(70000, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  const std::vector<std::pair<const char*, std::string>> files = {
      {"empty", ""},
      {"binary", garbage},
      {"truncated", whole.substr(0, whole.size() * 2 / 5)},
      {"unclosed blocks", "<spectrum0>\n<data>\n1\n<spectrum1>\n<registers>\n<size>128\n<data>\n"},
      {"only line feeds", std::string(200000, '\n')},
      {"one endless line", std::string(300000, '7')},
  };
  for (const auto& [name, content] : files) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(LoadText(content).Ok());
    for (int k = 0; k < 4; ++k) {
      const SpectrumPlot& plot = sets.FilePlot(k);
      EXPECT_GE(plot.HardSize(), kMinHardSize);
      EXPECT_LE(plot.HardSize(), kMaxChannels);
      EXPECT_GE(plot.SoftSize(), kMinHardSize);
      EXPECT_LE(plot.SoftSize(), plot.HardSize());
      EXPECT_LE(plot.Record().stored.pointCount, CalibrationRecord::kMaxPoints);
    }
  }
  // The truncated file still gave what it held before the cut.
  ASSERT_TRUE(LoadText(whole.substr(0, whole.size() * 2 / 5)).Ok());
  EXPECT_EQ(File(0).hardCounts[17], Buffer(0).hardCounts[17]);
  EXPECT_EQ(File(0).tag, "Run 7  cobalt");
}

TEST_F(SpectrumFile, OnlyTheFirst50000LinesAreRead) {
  const std::string volatileBlock = "<volatile>\n<intemp>7</intemp>\n</volatile>\n";
  ASSERT_TRUE(LoadText(std::string(49997, '\n') + volatileBlock).Ok());
  EXPECT_EQ(File(0).internalTemperature, 7);
  File(0).internalTemperature = 0;
  ASSERT_TRUE(LoadText(std::string(49998, '\n') + volatileBlock).Ok());  // "</volatile>" is line 50001
  EXPECT_EQ(File(0).internalTemperature, 7);
  File(0).internalTemperature = 0;
  ASSERT_TRUE(LoadText(std::string(50000, '\n') + volatileBlock + std::string(1000000, '\n')).Ok());
  EXPECT_EQ(File(0).internalTemperature, 0);
}

TEST_F(SpectrumFile, AFileThatCannotBeOpenedChangesNothing) {
  File(0).hardCounts[5] = 9;
  File(0).tag = "before";
  ScriptedUserDialog dialog;
  ASSERT_EQ(::mkfifo(folder.File("pipe.mps").c_str(), 0600), 0);  // would block a reader for ever
  for (const std::string& path : {folder.File("missing/none.mps"), folder.Path().string(), folder.File("pipe.mps")}) {
    const FileResult result = OpenSpectrum(sets, path, dialog);
    EXPECT_EQ(result.status, kFileCannotOpen);
    EXPECT_EQ(File(0).hardCounts[5], 9u);
    EXPECT_EQ(File(0).tag, "before");
  }
  ASSERT_EQ(dialog.messages.size(), 3u);
  EXPECT_EQ(dialog.messages[0].text, "Unable to Open File");
  EXPECT_EQ(dialog.messages[0].caption, "Error");
  EXPECT_EQ(dialog.messages[0].icon, MessageIcon::Stop);
}

// ---------------------------------------------------------------- saves that fail

class FailedSave : public SpectrumFile {
 protected:
  void SetUp() override {
    target = folder.File("old.mps");
    WriteWhole(target, "previous contents\n");
  }
  void ExpectOldFileAlone() {
    EXPECT_EQ(ReadWhole(target), "previous contents\n");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"old.mps"});
  }
  std::string target;
};

TEST_F(FailedSave, AReadOnlyTargetIsNotReplaced) {
  ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
  const FileResult result = SaveSpectrumFile(sets, target, true, times);
  EXPECT_EQ(result.status, kFileCannotCreate);
  EXPECT_EQ(result.message, "Unable to Save File");
  ExpectOldFileAlone();
}

TEST_F(FailedSave, AFullDiskLeavesTheOldFileAndNoPartialFile) {
  for (std::size_t room : {std::size_t{0}, std::size_t{5000}, std::size_t{20000}}) {
    FaultyFileSystem full;
    full.bytesBeforeFull = room;
    const FileResult result = SaveSpectrumFile(sets, target, true, times, full);
    EXPECT_EQ(result.status, kFileWriteFailed);
    EXPECT_EQ(result.message, "Error Writing to File");
    ExpectOldFileAlone();
  }
  FaultyFileSystem full;
  full.bytesBeforeFull = 5000;
  EXPECT_EQ(SaveSpectrumFile(sets, folder.File("new.mps"), true, times, full).status, kFileWriteFailed);
  ExpectOldFileAlone();
}

TEST_F(FailedSave, AFailedRenameKeepsTheOldFile) {
  FaultyFileSystem fs;
  fs.failRename = true;
  EXPECT_EQ(SaveSpectrumFile(sets, target, true, times, fs).status, kFileWriteFailed);
  ExpectOldFileAlone();
}

TEST_F(FailedSave, AMissingFolderCannotBeSavedInto) {
  EXPECT_EQ(SaveSpectrumFile(sets, folder.File("none/x.mps"), true, times).message, "Unable to Save File");
  ExpectOldFileAlone();
}

TEST_F(FailedSave, ASuccessfulSaveReplacesTheFileAndKeepsItsPermissions) {
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  ASSERT_TRUE(SaveSpectrumFile(sets, target, true, times).Ok());
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(ReadWhole(target).rfind("<?xml", 0), 0u);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"old.mps"});
}

// ---------------------------------------------------------------- Save As

class SaveAs : public SpectrumFile {
 protected:
  ScriptedUserDialog dialog;
  ScriptedTagDialog tagDialog;
};

TEST_F(SaveAs, AddsTheExtensionOnlyToANameWithoutOne) {
  std::filesystem::create_directory(folder.File("runs.d"));
  const std::vector<std::pair<std::string, std::string>> cases = {{"spectrum1", "spectrum1.mps"},
                                                                  {"spectrum1.txt", "spectrum1.txt"},
                                                                  {"runs.d/spectrum1", "runs.d/spectrum1.mps"},
                                                                  {"runs.d/.hidden", "runs.d/.hidden.mps"}};
  for (const auto& [chosen, saved] : cases) {
    const FileResult result = SaveSpectrumAs(sets, folder.File(chosen), times, dialog, tagDialog);
    ASSERT_TRUE(result.Ok()) << chosen;
    EXPECT_EQ(result.path, folder.File(saved));
    EXPECT_EQ(ReadWhole(folder.File(saved)).rfind("<?xml version=\"1.0\"?>\n<Kvetral>\n", 0), 0u) << saved;
  }
  EXPECT_TRUE(dialog.questions.empty());
}

TEST_F(SaveAs, CancellingTheOverwriteQuestionLeavesFileAndTagAlone) {
  WriteWhole(folder.File("kept.mps"), "old");
  Buffer(0).tag = "tag before";
  dialog.answers = {false};
  EXPECT_EQ(SaveSpectrumAs(sets, folder.File("kept"), times, dialog, tagDialog).status, kFileCancelled);
  ASSERT_EQ(dialog.questions.size(), 1u);
  EXPECT_EQ(dialog.questions[0].text, "FILE ALREADY EXISTS. DO YOU WANT TO OVERWRITE THE FILE?");
  EXPECT_EQ(dialog.questions[0].caption, "Warning");
  EXPECT_EQ(dialog.questions[0].icon, MessageIcon::Stop);
  EXPECT_EQ(tagDialog.runs, 0);
  EXPECT_EQ(ReadWhole(folder.File("kept.mps")), "old");
  EXPECT_EQ(Buffer(0).tag, "tag before");
}

TEST_F(SaveAs, TheTagDialogSetsTheTagOrCancelStoresTheStartStamp) {
  Buffer(0).tag = "previous";
  tagDialog.text = std::string(120, 'x');
  ASSERT_TRUE(SaveSpectrumAs(sets, folder.File("a"), times, dialog, tagDialog).Ok());
  EXPECT_EQ(tagDialog.shown, "previous");
  EXPECT_EQ(Buffer(0).tag, std::string(100, 'x'));

  tagDialog.ok = false;
  times.stampText = "WAITING FOR START";
  ASSERT_TRUE(SaveSpectrumAs(sets, folder.File("b"), times, dialog, tagDialog).Ok());
  EXPECT_EQ(Buffer(0).tag, "WAITING FOR START");
  const auto lines = SplitLines(ReadWhole(folder.File("b.mps")));
  EXPECT_EQ(lines[4], "  <tag>WAITING FOR START</tag>");
  EXPECT_EQ(lines[4108], "  <tag>WAITING FOR START</tag>");
}

TEST_F(SaveAs, SavesTheRecordsThePanesShow) {
  Buffer(1).hardCounts[0] = 1;
  File(1).hardCounts[0] = 2;
  sets.SelectTab(1, kFileSet);
  ASSERT_TRUE(SaveSpectrumAs(sets, folder.File("shown"), times, dialog, tagDialog).Ok());
  const auto lines = SplitLines(ReadWhole(folder.File("shown.mps")));
  EXPECT_EQ(lines[4107], "<spectrum1>");
  EXPECT_EQ(lines[4107 + 6], "2");
}

TEST_F(SaveAs, AFailureIsShownWithItsMessage) {
  FaultyFileSystem full;
  full.bytesBeforeFull = 100;
  EXPECT_EQ(SaveSpectrumAs(sets, folder.File("f"), times, dialog, tagDialog, full).status, kFileWriteFailed);
  ASSERT_EQ(dialog.messages.size(), 1u);
  EXPECT_EQ(dialog.messages[0].text, "Error Writing to File");
  EXPECT_EQ(dialog.messages[0].caption, "Error");
  EXPECT_TRUE(folder.Entries().empty());
}

// ---------------------------------------------------------------- the command line's view of a file

TEST_F(SpectrumFile, ALoadedFileGivesTheTimesAndPeaksTheProgramShows) {
  SpectrumRecord& s0 = Buffer(0);
  s0.registers[0x0F] = 2 << 2;  // 8 ns
  s0.registers[reg::kRealTicksLow] = 1000;
  s0.registers[reg::kLiveTicksLow] = 900;
  s0.registers[reg::kControlWord] = cw::kStartUtc;
  for (int j = 0; j < 64; ++j) s0.hardCounts[200 + j] = static_cast<std::uint32_t>(2000 - (j - 32) * (j - 32));
  ASSERT_TRUE(SaveSpectrumFile(sets, folder.File("peak.mps"), true, times).Ok());

  LoadedSpectrumFile file;
  ASSERT_TRUE(file.Load(folder.File("peak.mps")).Ok());
  const AcquisitionTimes shown = file.Times();
  EXPECT_DOUBLE_EQ(shown.realSeconds, 10.0);
  EXPECT_DOUBLE_EQ(shown.liveSeconds, 9.0);
  EXPECT_DOUBLE_EQ(shown.deadPercent, 10.0);
  EXPECT_EQ(shown.stampText, "WAITING FOR START");
  EXPECT_EQ(shown.kindText, "START TIME: UTC");

  const RoiAnalysis roi = AnalyseRoi(file.Plot(0), 190, 280);
  PeakResult direct;
  ASSERT_EQ(AnalysePeak(file.Plot(0), 190, 280, direct), kPeakFound);
  EXPECT_EQ(roi.result, kPeakFound);
  EXPECT_EQ(roi.peak.centroid, direct.centroid);
  EXPECT_NEAR(roi.peak.centroid, 232.0, 0.5);
  EXPECT_DOUBLE_EQ(roi.resolution, direct.fwhm * 100.0 / direct.centroid);
  EXPECT_EQ(LoadedSpectrumFile().Load(folder.File("absent.mps")).message, "Unable to Open File");
}

TEST(CommandLineArguments, SpectrumIndexesAndChannelRanges) {
  int k = -1;
  EXPECT_TRUE(ParseSpectrumIndex("3", k));
  EXPECT_EQ(k, 3);
  for (const char* bad : {"4", "-1", "", "1x"}) EXPECT_FALSE(ParseSpectrumIndex(bad, k)) << bad;
  int first = 0;
  int last = 0;
  EXPECT_TRUE(ParseChannelRange("120:180", first, last));
  EXPECT_EQ(first, 120);
  EXPECT_EQ(last, 180);
  for (const char* bad : {"120", "120:", ":5", "a:b", "1:2:3"}) EXPECT_FALSE(ParseChannelRange(bad, first, last)) << bad;
}

}  // namespace
