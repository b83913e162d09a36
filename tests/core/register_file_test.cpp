// The register file (.rgv): the debugger's table written line for line, and the reader's rules on
// small files written from strings (size limits, short data blocks, spaces, 16-bit truncation).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "FileTestSupport.h"
#include "files/RegisterFile.h"

using namespace mirvo;
using namespace mirvo::test;

namespace {

// The debugger's table at start: register number x 10.
RegisterValues StartTable() {
  RegisterValues values{};
  for (std::size_t r = 0; r < values.size(); ++r) values[r] = static_cast<std::uint16_t>(r * 10);
  return values;
}

class RegisterFile : public ::testing::Test {
 protected:
  // Loads `content` over a table of 7s and returns the table.
  RegisterValues Load(const std::string& content) {
    WriteWhole(folder.File("r.rgv"), content);
    RegisterValues values;
    values.fill(7);
    EXPECT_TRUE(LoadRegisterFile(folder.File("r.rgv"), values).Ok());
    return values;
  }
  TempFolder folder;
  ScriptedUserDialog dialog;
};

TEST_F(RegisterFile, SavingRightAfterStartWritesTheTableLineForLine) {
  ASSERT_TRUE(SaveRegisterFile(folder.File("start.rgv"), StartTable()).Ok());
  std::string expected = "<registers>\n  <size>128</size>\n  <data>\n";
  for (int r = 0; r < 128; ++r) expected += std::to_string(r * 10) + "\n";
  expected += "  </data>\n</registers>\n";
  EXPECT_EQ(ReadWhole(folder.File("start.rgv")), expected);
  RegisterValues back{};
  ASSERT_TRUE(LoadRegisterFile(folder.File("start.rgv"), back).Ok());
  EXPECT_EQ(back, StartTable());
}

std::string Section(const std::string& sizeLine, int values, const std::string& extra = "") {
  std::string text = "<registers>\n" + sizeLine + "<data>\n";
  for (int i = 0; i < values; ++i) text += std::to_string(1000 + i) + "\n";
  return text + extra + "</data>\n</registers>\n";
}

TEST_F(RegisterFile, ASizeAbove128ReadsOnly128Values) {
  const RegisterValues values = Load(Section("<size>300</size>\n", 130));
  EXPECT_EQ(values[0], 1000);
  EXPECT_EQ(values[127], 1127);
}

TEST_F(RegisterFile, ANegativeSizeReadsNoValues) {
  const RegisterValues values = Load(Section("<size>-5</size>\n", 3));
  for (std::uint16_t v : values) EXPECT_EQ(v, 7);
}

TEST_F(RegisterFile, AShortDataBlockStoresItsClosingLineAsZero) {
  const RegisterValues values = Load(Section("<size>128</size>\n", 3));
  EXPECT_EQ(values[0], 1000);
  EXPECT_EQ(values[2], 1002);
  EXPECT_EQ(values[3], 0);  // the "</data>" line
  EXPECT_EQ(values[4], 7);
  EXPECT_EQ(values[127], 7);
}

TEST_F(RegisterFile, WithoutASizeLineTheSectionHolds128Values) {
  const RegisterValues values = Load(Section("", 128));
  EXPECT_EQ(values[127], 1127);
}

TEST_F(RegisterFile, SpacesAnywhereInALineAreIgnored) {
  const RegisterValues values = Load("  < Registers >\n  < size >  2 </ size >\n < data >\n 1 2\n  34 \n </data>\n</registers>\n");
  EXPECT_EQ(values[0], 12);
  EXPECT_EQ(values[1], 34);
  EXPECT_EQ(values[2], 7);
}

TEST_F(RegisterFile, ValuesKeepTheirLow16BitsAndTextReadsAsZero) {
  const RegisterValues values = Load(Section("<size>4</size>\n", 0, "65539\n65535\nabc\n-1\n"));
  EXPECT_EQ(values[0], 3);
  EXPECT_EQ(values[1], 65535);
  EXPECT_EQ(values[2], 0);
  EXPECT_EQ(values[3], 65535);
}

TEST_F(RegisterFile, LinesOutsideARegisterSectionArePassedOver) {
  const RegisterValues values = Load("<spectrum0>\n<data>\n5\n</data>\n</spectrum0>\n" + Section("<size>1</size>\n", 1) +
                                     "<registers>\n<size>2</size>\n<data>\n1\n2\n</data>\n</registers>\n");
  EXPECT_EQ(values[0], 1);  // the last section wins
  EXPECT_EQ(values[1], 2);
  EXPECT_EQ(values[2], 7);
}

TEST_F(RegisterFile, AFileThatCannotBeOpenedIsReportedAndChangesNothing) {
  RegisterValues values = StartTable();
  for (const std::string& path : {folder.File("none.rgv"), folder.Path().string()}) {
    const FileResult result = LoadRegisterFileChosen(path, values, dialog);
    EXPECT_EQ(result.status, kFileCannotOpen);
  }
  EXPECT_EQ(values, StartTable());
  ASSERT_EQ(dialog.messages.size(), 2u);
  EXPECT_EQ(dialog.messages[0].text, "Unable to Open File");
  EXPECT_EQ(dialog.messages[0].icon, MessageIcon::Stop);
}

TEST_F(RegisterFile, SaveFileAddsTheExtensionAndAsksBeforeOverwriting) {
  ASSERT_TRUE(SaveRegisterFileAs(folder.File("regs"), StartTable(), dialog).Ok());
  ASSERT_TRUE(SaveRegisterFileAs(folder.File("regs.txt"), StartTable(), dialog).Ok());
  EXPECT_EQ(folder.Entries().size(), 2u);
  EXPECT_TRUE(dialog.questions.empty());

  RegisterValues zeros{};
  dialog.answers = {false};
  EXPECT_EQ(SaveRegisterFileAs(folder.File("regs"), zeros, dialog).status, kFileCancelled);
  ASSERT_EQ(dialog.questions.size(), 1u);
  EXPECT_EQ(dialog.questions[0].text, "FILE ALREADY EXISTS. DO YOU WANT TO OVERWRITE THE FILE?");
  RegisterValues back{};
  ASSERT_TRUE(LoadRegisterFile(folder.File("regs.rgv"), back).Ok());
  EXPECT_EQ(back, StartTable());
}

TEST_F(RegisterFile, AFailedSaveKeepsThePreviousFile) {
  ASSERT_TRUE(SaveRegisterFile(folder.File("keep.rgv"), StartTable()).Ok());
  const std::string before = ReadWhole(folder.File("keep.rgv"));
  FaultyFileSystem full;
  full.bytesBeforeFull = 40;
  const FileResult result = SaveRegisterFileAs(folder.File("keep.rgv"), RegisterValues{}, dialog, full);
  EXPECT_EQ(result.status, kFileWriteFailed);
  ASSERT_EQ(dialog.messages.size(), 1u);
  EXPECT_EQ(dialog.messages[0].text, "Error Writing to File");
  EXPECT_EQ(ReadWhole(folder.File("keep.rgv")), before);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"keep.rgv"});

  EXPECT_EQ(SaveRegisterFile(folder.File("no/such.rgv"), StartTable()).message, "Unable to Open File");
}

}  // namespace
