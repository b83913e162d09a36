// The CSV export of one record: the header lines byte for byte, the start stamp split, hard and
// soft channel lines, the export command's questions, and failures that keep the previous file.
#include <gtest/gtest.h>

#include "FileTestSupport.h"
#include "display/RecordSets.h"
#include "files/SpectrumCsv.h"
#include "files/SpectrumFileCommands.h"
#include "protocol/RegisterImage.h"

using namespace mirvo;
using namespace mirvo::test;

namespace {

class CsvExport : public ::testing::Test {
 protected:
  std::vector<std::string> Export(SpectrumPlot& plot, bool hardSize) {
    EXPECT_TRUE(ExportSpectrumCsv(plot, folder.File("s.csv"), hardSize, times).Ok());
    return SplitLines(ReadWhole(folder.File("s.csv")));
  }
  AcquisitionTimes times{12.5, 12.0, 4.0, "10/12/2020  14:33:02", "START TIME: SYSTEM"};
  SpectrumMemory memory;
  RecordSets sets{memory};
  TempFolder folder;
  ScriptedUserDialog dialog;
  ScriptedTagDialog tagDialog;
};

TEST_F(CsvExport, WritesTheExampleByteForByte) {
  SpectrumPlot& s1 = sets.BufferPlot(1);
  s1.Record().tag = "X";
  s1.Record().hardCounts[1] = 4294967295u;
  ASSERT_TRUE(ExportSpectrumCsv(s1, folder.File("s1.csv"), true, times).Ok());
  const std::string text = ReadWhole(folder.File("s1.csv"));
  const std::string expected =
            "Spectrum S1:GAMMA+NEUTRONS\n"
            "Date [dd/mm/yyyy], SYSTEM,10/12/2020\n"
            "Time [hh:mm:ss], SYSTEM, 14:33:02\n"
            "TAG,X\n"
            "Real Time[s],    12.5000\n"
            "Live Time[s],    12.0000\n"
            "\n"
            "Channel, Counts\n"
            "0, 0\n"
            "1, 4294967295\n";
  EXPECT_EQ(text.substr(0, expected.size()), expected);
  const auto lines = SplitLines(text);
  EXPECT_EQ(lines.size(), 8u + 4096u);
  EXPECT_EQ(lines.back(), "4095, 0");
  EXPECT_EQ(text.back(), '\n');
}

TEST_F(CsvExport, SplitsTheStampAtItsFirstSpace) {
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"WAITING FOR START", "WAITING", "FOR START"},
      {"10/12/2020  14:33:02", "10/12/2020", " 14:33:02"},
      {"Hardware Not Connected", "Hardware", "Not Connected"},
      {"NOSPACE", "", "NOSPACE"},
      {"", "", ""}};
  for (const auto& [stamp, date, time] : cases) {
    EXPECT_EQ(SplitStamp(stamp).date, date) << stamp;
    EXPECT_EQ(SplitStamp(stamp).time, time) << stamp;
  }
  times.stampText = "WAITING FOR START";
  times.kindText = "START TIME: UTC";
  const auto lines = Export(sets.BufferPlot(0), true);
  EXPECT_EQ(lines[1], "Date [dd/mm/yyyy], UTC,WAITING");
  EXPECT_EQ(lines[2], "Time [hh:mm:ss], UTC,FOR START");
}

TEST_F(CsvExport, SoftSize1365EndsWithTheSumOfTheLastFourHardChannels) {
  SpectrumPlot& s2 = sets.BufferPlot(2);
  for (int j = 0; j < kMaxChannels; ++j) s2.Record().hardCounts[j] = 1;
  s2.Record().hardCounts[4095] = 100;
  s2.ApplySizes(kMaxChannels, 1365);
  s2.Record().hardCounts[0] = 50;  // grown since the last redraw: the export folds the counts again
  const auto lines = Export(s2, false);
  ASSERT_EQ(lines.size(), 8u + 1365u);
  EXPECT_EQ(lines[8], "0, 52");
  EXPECT_EQ(lines.back(), "1364, 103");
}

TEST_F(CsvExport, AFileRecordExportsItsHardSizeOnly) {
  SpectrumPlot& file = sets.FilePlot(3);
  file.ApplySizes(1024, 512);
  EXPECT_EQ(Export(file, true).size(), 8u + 1024u);
  EXPECT_EQ(Export(file, false).size(), 8u + 512u);
}

TEST_F(CsvExport, TheCommandAddsNoExtensionAndTagsTheSettingsRecord) {
  tagDialog.ok = false;
  times.stampText = "WAITING FOR START";
  const FileResult result = ExportSpectrumAs(sets, folder.File("plain"), true, times, dialog, tagDialog);
  ASSERT_TRUE(result.Ok());
  EXPECT_EQ(result.path, folder.File("plain"));
  EXPECT_EQ(SplitLines(ReadWhole(folder.File("plain")))[3], "TAG,WAITING FOR START");
  EXPECT_EQ(sets.LiveRecord().tag, "WAITING FOR START");

  dialog.answers = {false};
  EXPECT_EQ(ExportSpectrumAs(sets, folder.File("plain"), false, times, dialog, tagDialog).status, kFileCancelled);
  EXPECT_EQ(dialog.questions.size(), 1u);
  EXPECT_EQ(SplitLines(ReadWhole(folder.File("plain"))).size(), 8u + 4096u);
}

TEST_F(CsvExport, FailuresKeepThePreviousFileAndAreShown) {
  WriteWhole(folder.File("old.csv"), "old\n");
  FaultyFileSystem full;
  full.bytesBeforeFull = 300;
  EXPECT_EQ(ExportSpectrumAs(sets, folder.File("old.csv"), true, times, dialog, tagDialog, full).status, kFileWriteFailed);
  EXPECT_EQ(ExportSpectrumAs(sets, folder.File("gone/x.csv"), true, times, dialog, tagDialog).status, kFileCannotCreate);
  ASSERT_EQ(dialog.messages.size(), 2u);
  EXPECT_EQ(dialog.messages[0].text, "Error Writing to File");
  EXPECT_EQ(dialog.messages[1].text, "Unable to Save File");
  EXPECT_EQ(dialog.messages[1].caption, "Error");
  EXPECT_EQ(ReadWhole(folder.File("old.csv")), "old\n");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"old.csv"});
}

}  // namespace
