// The autosave's decisions on scripted status reads and a fake clock: when it saves, what clears
// the file, what counts as an instrument reset (and keeps the file), and the connect guard. The
// BUFFER set is stood in for by a one-line file; the state folder is a temporary one.
#include "monitor/Autosave.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "FakeClock.h"
#include "FileTestSupport.h"

namespace mirvo {
namespace {

class AutosaveRules : public ::testing::Test {
 protected:
  AutosaveRules() { ::setenv("XDG_STATE_HOME", state.Path().c_str(), 1); }
  ~AutosaveRules() override { ::unsetenv("XDG_STATE_HOME"); }

  AutosaveReading Running(double real, std::uint64_t counts, std::uint32_t stamp = 0x1234) {
    return {.running = true, .realSeconds = real, .totalCounts = counts, .startStamp = stamp};
  }
  std::vector<AutosaveNotice> After(int seconds, const AutosaveReading& reading) {
    clock.Advance(seconds * 1000LL);
    return saver.OnStatus(reading);
  }
  std::string Folder() const { return (state.Path() / "mirvo-psd").string(); }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    if (!std::filesystem::is_directory(Folder())) return names;
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempFolder state;
  test::FakeClock clock{0};
  bool failWrites = false;
  std::string content = "first";
  Autosave saver{clock, [this](const std::string& path, FileSystemOps& fs) {
                   if (failWrites)
                     return FileResult{kFileWriteFailed, kErrorWritingToFile, path, "no space left on the disk"};
                   SafeFileWriter out(fs);
                   if (out.Open(path) != kFileOk) return FileResult{kFileCannotCreate, kUnableToSaveFile, path};
                   out.Write(content);
                   return FileResult{out.Commit(), {}, path};
                 }};
};

TEST_F(AutosaveRules, SavesEveryIntervalAndAStopClearsTheFile) {
  saver.SetIntervalMinutes(10);
  EXPECT_TRUE(After(0, Running(0, 0)).empty());
  EXPECT_TRUE(After(599, Running(599, 100)).empty()) << "not before the interval";
  const auto saved = After(1, Running(600, 200));
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_FALSE(saved[0].warning);
  EXPECT_EQ(Files(), std::vector<std::string>{"running-acquisition.mps"});
  EXPECT_EQ(test::ReadWhole(Autosave::LeftOverRecoveryFile()), "first");
  EXPECT_TRUE(After(300, Running(900, 300)).empty());
  EXPECT_TRUE(After(1, {.running = false, .realSeconds = 901, .totalCounts = 301, .startStamp = 0x1234}).empty());
  EXPECT_TRUE(Files().empty());
  EXPECT_EQ(Autosave::LeftOverRecoveryFile(), "");
}

// START sets the run bit of the image before the instrument's reset times are read back: the first
// reading of a run may still hold the previous run's times and, within the same second, its stamp.
TEST_F(AutosaveRules, TheFirstReadingsOfAStartMayHoldThePreviousRunsTimes) {
  saver.SetIntervalMinutes(10);
  EXPECT_TRUE(After(0, {.running = false, .realSeconds = 4, .totalCounts = 900, .startStamp = 0x1234}).empty());
  EXPECT_TRUE(After(0, Running(4, 900)).empty()) << "the stale reading of the new run";
  EXPECT_TRUE(After(1, Running(0.2, 10)).empty()) << "the start's own reset, same stamp";
  EXPECT_TRUE(Files().empty());
}

TEST_F(AutosaveRules, WhatEndsTheRunAndWhatKeepsItsAutosave) {
  struct Case {
    const char* what;
    AutosaveReading next;
    bool kept;  // the autosave is kept aside with a warning
  };
  // After an autosave at real time 600 s with 1000 counts, stamp 0x1234:
  const Case cases[] = {
      {"stop", {.running = false, .realSeconds = 700, .totalCounts = 2000, .startStamp = 0x1234}, false},
      {"RESET of the running acquisition (new stamp)",
       {.running = true, .realSeconds = 1, .totalCounts = 5, .startStamp = 0x1300}, false},
      {"power cut: times and stamp gone, run stopped",
       {.running = false, .realSeconds = 0, .totalCounts = 0, .startStamp = 0}, true},
      {"memory cleared under a running acquisition",
       {.running = true, .realSeconds = 2, .totalCounts = 10, .startStamp = 0x1234}, true},
      {"counts went back, times did not",
       {.running = true, .realSeconds = 701, .totalCounts = 10, .startStamp = 0x1234}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(Folder());
    Autosave fresh = saver;
    fresh.SetIntervalMinutes(1);
    fresh.OnStatus(Running(0, 0));
    clock.Advance(60000);
    ASSERT_EQ(fresh.OnStatus(Running(600, 1000)).size(), 1u);
    clock.Advance(1000);
    const auto notices = fresh.OnStatus(c.next);
    if (c.kept) {
      ASSERT_EQ(notices.size(), 1u);
      EXPECT_TRUE(notices[0].warning && notices[0].notify);
      EXPECT_NE(notices[0].text.find("reset during the run"), std::string::npos) << notices[0].text;
      EXPECT_EQ(Files(), std::vector<std::string>{"running-acquisition-unsaved-1.mps"});
      EXPECT_NE(notices[0].text.find(Folder() + "/running-acquisition-unsaved-1.mps"), std::string::npos);
    } else {
      EXPECT_TRUE(notices.empty()) << notices[0].text;
      EXPECT_TRUE(Files().empty());
    }
  }
}

TEST_F(AutosaveRules, OffSeriesAndFailuresSaveNothingNewAndKeepWhatWasThere) {
  saver.SetIntervalMinutes(0);
  saver.OnStatus(Running(0, 0));
  EXPECT_TRUE(After(3600, Running(3600, 100)).empty());
  EXPECT_TRUE(Files().empty()) << "0 is off";

  saver.SetIntervalMinutes(1);
  AutosaveReading series = Running(10, 100);
  series.seriesRunning = true;
  EXPECT_TRUE(After(120, series).empty());
  series.realSeconds = 1;  // the logger's own reset between runs
  series.totalCounts = 1;
  EXPECT_TRUE(After(120, series).empty());
  EXPECT_TRUE(Files().empty()) << "a logged series saves its own runs";

  saver.OnStatus(Running(0, 0, 0x2000));
  ASSERT_EQ(After(60, Running(60, 100, 0x2000)).size(), 1u);
  failWrites = true;
  const auto failed = After(60, Running(120, 200, 0x2000));
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_TRUE(failed[0].warning && failed[0].notify);
  EXPECT_EQ(failed[0].text, "Autosave failed: Error Writing to File (no space left on the disk); the previous autosave "
                            "(real time 60 s) is kept in " + Folder() + "/running-acquisition.mps");
  EXPECT_EQ(test::ReadWhole(Folder() + "/running-acquisition.mps"), "first");
}

TEST_F(AutosaveRules, TheConnectGuardCopiesUnsavedCountsAndKeepsTheCopyOnlyWhenTheInstrumentHoldsLess) {
  EXPECT_TRUE(saver.OnConnecting(0, 0).empty());
  EXPECT_TRUE(saver.OnFirstStatus(0).empty());
  EXPECT_FALSE(std::filesystem::exists(Folder()) && !Files().empty()) << "an empty BUFFER set needs no copy";

  EXPECT_TRUE(saver.OnConnecting(500, 100).empty());
  EXPECT_EQ(Files(), std::vector<std::string>{"before-connect-unsaved-1.mps"});
  EXPECT_TRUE(saver.OnFirstStatus(100).empty()) << "the instrument holds as much";
  EXPECT_TRUE(Files().empty());

  EXPECT_TRUE(saver.OnConnecting(500, 100).empty());
  const auto kept = saver.OnFirstStatus(3);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_NE(kept[0].text.find(Folder() + "/before-connect-unsaved-1.mps before it is replaced"), std::string::npos)
      << kept[0].text;
  EXPECT_EQ(Files(), std::vector<std::string>{"before-connect-unsaved-1.mps"});

  saver.OnBufferSaved(500);
  EXPECT_TRUE(saver.OnConnecting(500, 100).empty());
  EXPECT_EQ(Files(), std::vector<std::string>{"before-connect-unsaved-1.mps"}) << "saved counts need no copy";
}

}  // namespace
}  // namespace mirvo
