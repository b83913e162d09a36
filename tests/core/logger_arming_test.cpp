// The SPECTRUM LOGGER group on its own: the ENABLE checks in their order with their messages, the
// overwrite question, the folder and base fields, RUNS during a series and the numbered names.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ScriptedDialogs.h"
#include "acquisition/SpectrumLogger.h"

namespace mirvo {
namespace {

namespace fs = std::filesystem;

class LoggerArmingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("logger_arming_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    logger.SetStorageFolder(folder.string());
    logger.SetFileNameBase("bg");
    logger.OnRunsChanged(3);
  }
  void TearDown() override { fs::remove_all(folder); }

  fs::path folder;
  test::ScriptedDialogs dialogs;
  SpectrumLogger logger{dialogs, dialogs};
  LoggerArmingFacts ready{true, 0.0, 0};
};

struct ArmingCase {
  const char* name;
  std::string base;
  bool clearFolder;
  std::int32_t runs;
  LoggerArmingFacts facts;
  const char* message;
};

TEST_F(LoggerArmingTest, EachCheckRefusesWithItsMessageInOrder) {
  const ArmingCase cases[] = {
      {"colon in base", "a:b", false, 3, {true, 0.0, 0}, kInvalidFileNameText},
      {"name before device", "a*b", false, 3, {false, 5.0, 1}, kInvalidFileNameText},
      {"no device", "bg", false, 3, {false, 0.0, 0}, kNoDeviceText},
      {"no base", "", false, 3, {true, 0.0, 0}, kNoFolderOrBaseText},
      {"no folder", "bg", true, 3, {true, 0.0, 0}, kNoFolderOrBaseText},
      {"no runs", "bg", false, 0, {true, 0.0, 0}, kNoRunsText},
      {"negative runs", "bg", false, -2, {true, 0.0, 0}, kNoRunsText},
      {"times not cleared", "bg", false, 3, {true, 0.01, 0}, kPressResetText},
      {"acquisition runs", "bg", false, 3, {true, 0.0, 1}, kStopAcquisitionFirstText},
  };
  for (const auto& c : cases) {
    SpectrumLogger fresh{dialogs, dialogs};
    if (!c.clearFolder) fresh.SetStorageFolder(folder.string());
    fresh.SetFileNameBase(c.base);
    fresh.OnRunsChanged(c.runs);
    dialogs.messages.clear();
    EXPECT_TRUE(fresh.OnEnableClicked(true, c.facts)) << c.name;
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{c.message}) << c.name;
    EXPECT_FALSE(fresh.Enabled()) << c.name;
    EXPECT_FALSE(fresh.Running()) << c.name;
  }
}

TEST_F(LoggerArmingTest, AcceptedEnableArmsWithCompletedCleared) {
  logger.SetCompleted(7);
  EXPECT_FALSE(logger.OnEnableClicked(true, ready));
  EXPECT_TRUE(logger.Enabled());
  EXPECT_FALSE(logger.Running());  // the series starts with the next START
  EXPECT_EQ(logger.Completed(), 0);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(dialogs.questions.empty());
}

TEST_F(LoggerArmingTest, AnExistingFirstFileAsksBeforeOverwriting) {
  std::ofstream(folder / "bg_0001.mps") << "x";
  logger.SetCompleted(2);
  dialogs.answerOk = false;
  EXPECT_TRUE(logger.OnEnableClicked(true, ready));
  EXPECT_EQ(dialogs.questions, std::vector<std::string>{kOverwriteLoggingText});
  EXPECT_EQ(dialogs.questionCaption, "Warning");
  EXPECT_EQ(dialogs.questionIcon, MessageIcon::Stop);
  EXPECT_FALSE(logger.Enabled());
  EXPECT_EQ(logger.Completed(), 2);

  dialogs.answerOk = true;
  EXPECT_FALSE(logger.OnEnableClicked(true, ready));
  EXPECT_TRUE(logger.Enabled());
  EXPECT_EQ(logger.Completed(), 0);
}

TEST_F(LoggerArmingTest, ClearingEnableEndsTheSeriesEvenWithoutADevice) {
  ASSERT_FALSE(logger.OnEnableClicked(true, ready));
  logger.SetRunning(true);
  logger.SetCompleted(1);
  // The link timed out during the series: the check still speaks, and the series still ends.
  EXPECT_TRUE(logger.OnEnableClicked(false, {false, 3.0, 0}));
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{kNoDeviceText});
  EXPECT_FALSE(logger.Running());
  EXPECT_FALSE(logger.Enabled());
  EXPECT_EQ(logger.Completed(), 1);  // kept until the next successful enable
}

TEST_F(LoggerArmingTest, FolderChoiceAppendsTheSeparatorAndIsRefusedWhileRunning) {
  dialogs.folderAnswer = "/data/m";
  logger.OnFolderClicked();
  EXPECT_EQ(dialogs.folderTitle, "Select Folder");
  EXPECT_EQ(logger.StorageFolder(), "/data/m/");
  EXPECT_EQ(logger.PathBase(), "/data/m/bg");

  dialogs.folderAnswer = "/data/n/";
  logger.OnFolderClicked();
  EXPECT_EQ(logger.StorageFolder(), "/data/n/");

  dialogs.folderAnswer = "";  // cancelled
  logger.OnFolderClicked();
  EXPECT_EQ(logger.StorageFolder(), "/data/n/");

  logger.SetRunning(true);
  dialogs.folderAnswer = "/elsewhere";
  logger.OnFolderClicked();
  EXPECT_EQ(dialogs.messages, std::vector<std::string>{kFolderWhileLoggingText});
  EXPECT_EQ(logger.StorageFolder(), "/data/n/");
  EXPECT_EQ(logger.OnBaseEdited("other"), "bg");
  EXPECT_EQ(logger.PathBase(), "/data/n/bg");
}

TEST_F(LoggerArmingTest, RunsCannotFallBelowTheRunInProgress) {
  EXPECT_EQ(logger.OnRunsChanged(10), 10);
  logger.SetRunning(true);
  logger.SetCompleted(4);
  EXPECT_EQ(logger.OnRunsChanged(2), 5);
  EXPECT_EQ(logger.OnRunsChanged(8), 8);
  logger.SetRunning(false);
  EXPECT_EQ(logger.OnRunsChanged(2), 2);
}

TEST(LoggedFileNameTest, RunNumbersHaveFourDigitsThenFive) {
  EXPECT_EQ(LoggedFileName("/m/bg", 1), "/m/bg_0001.mps");
  EXPECT_EQ(LoggedFileName("/m/bg", 42), "/m/bg_0042.mps");
  EXPECT_EQ(LoggedFileName("/m/bg", 9999), "/m/bg_9999.mps");
  EXPECT_EQ(LoggedFileName("/m/bg", 10000), "/m/bg_10000.mps");
  for (const char* bad : {"a<b", "a>b", "a:b", "a\"b", "a/b", "a\\b", "a|b", "a?b", "a*b"})
    EXPECT_FALSE(ValidFileNameBase(bad)) << bad;
  EXPECT_TRUE(ValidFileNameBase("cs137 run-2.a"));
}

}  // namespace
}  // namespace mirvo
