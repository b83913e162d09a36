// Logged series against the simulator: the engine ends, reads, counts, saves and restarts each run;
// every file holds exactly what the instrument counted in its run, and the series stops as it should.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "AcquisitionRig.h"

namespace mirvo {
namespace {

namespace fs = std::filesystem;
using test::AcquisitionRig;

// What a saved spectrum file says: the four totals, the real time and the start stamp.
struct SavedRun {
  std::array<std::uint64_t, 4> totals{};
  std::string real, date;
  bool complete = false;  // the closing root line is there
};

SavedRun ReadSaved(const fs::path& path) {
  SavedRun run;
  std::ifstream in(path);
  std::string line;
  int spectrum = -1;
  bool data = false;
  while (std::getline(in, line)) {
    if (line.rfind("<spectrum", 0) == 0) spectrum = line[9] - '0';
    if (line == "  <data>" && spectrum >= 0) data = true;
    else if (line == "  </data>") data = false, spectrum = -1;
    else if (data) run.totals.at(static_cast<std::size_t>(spectrum)) += std::stoull(line[0] == '+' ? line.substr(1) : line);
    if (line.rfind("  <real>", 0) == 0) run.real = line.substr(8, 10);
    if (line.rfind("  <date>", 0) == 0) run.date = line.substr(8, 20);
    run.complete = line == "</Kvetral>";
  }
  return run;
}

// The simulator's journal lines of finished runs: "... finished real=... S0=.. S1=.. S2=.. S3=..".
std::vector<std::array<std::uint64_t, 4>> FinishedTotals(const fs::path& journal) {
  std::vector<std::array<std::uint64_t, 4>> runs;
  std::ifstream in(journal);
  for (std::string line; std::getline(in, line);) {
    if (line.find(" finished ") == std::string::npos) continue;
    std::array<std::uint64_t, 4> totals{};
    for (int k = 0; k < 4; ++k) {
      const auto at = line.find(" S" + std::to_string(k) + "=");
      totals.at(static_cast<std::size_t>(k)) = std::stoull(line.substr(at + 4));
    }
    runs.push_back(totals);
  }
  return runs;
}

class LoggerSeriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("logger_series_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    kvetral::SimOptions options;
    options.speed = 20;
    options.rate = 5000;
    options.journal = (folder / "journal.txt").string();
    rig = std::make_unique<AcquisitionRig>(options);
    saver.writer = std::make_unique<BufferRecordsRunSaver>(rig->host.BufferSet(), rig->dialogs);
    rig->panel.Logger().SetSaver(&saver);
    ASSERT_TRUE(rig->Connect());
    ASSERT_TRUE(rig->panel.OnPresetTyped(2));
    ASSERT_TRUE(rig->ResetAndWait());
  }
  void TearDown() override {
    rig.reset();
    fs::remove_all(folder);
  }
  void Arm(int runs, const std::string& base = "bg") {
    AcquisitionPanel& panel = rig->panel;
    panel.Logger().SetStorageFolder(folder.string());
    panel.OnLoggerBaseEdited(base);
    panel.OnLoggerRunsChanged(runs);
    panel.OnLoggerEnableClicked(true);
    ASSERT_TRUE(panel.Logger().Enabled()) << (rig->dialogs.messages.empty() ? "" : rig->dialogs.messages.back());
  }
  bool Exists(const char* name) const { return fs::exists(folder / name); }

  fs::path folder;
  std::unique_ptr<AcquisitionRig> rig;
  // The file writer, remembering what it was asked to save.
  struct Saver final : ILoggedRunSaver {
    bool SaveLoggedRun(const LoggedRunFile& file) override {
      saved.push_back(file);
      return writer->SaveLoggedRun(file);
    }
    std::unique_ptr<BufferRecordsRunSaver> writer;
    std::vector<LoggedRunFile> saved;
  };
  Saver saver;
};

TEST_F(LoggerSeriesTest, ThreeRunsWriteThreeFilesAndLeaveTheInstrumentStopped) {
  Arm(3);
  rig->panel.StartAcquisition();
  EXPECT_TRUE(rig->panel.Logger().Running());
  EXPECT_FALSE(rig->panel.StartEnabled());
  EXPECT_FALSE(rig->panel.StopEnabled());
  ASSERT_TRUE(rig->RunUntil([&] { return !rig->panel.Logger().Running(); }));

  EXPECT_FALSE(rig->panel.Logger().Enabled());
  EXPECT_EQ(rig->panel.Logger().Completed(), 3);
  ASSERT_TRUE(rig->WaitForStatus());
  EXPECT_FALSE(rig->sim->Register(reg::kControlWord) & cw::kRun);

  const auto journal = FinishedTotals(folder / "journal.txt");
  ASSERT_EQ(journal.size(), 3u);
  std::string previousDate;
  for (int n = 1; n <= 3; ++n) {
    const std::string name = "bg_000" + std::to_string(n) + ".mps";
    ASSERT_TRUE(Exists(name.c_str())) << name;
    const SavedRun run = ReadSaved(folder / name);
    EXPECT_TRUE(run.complete) << name;
    EXPECT_EQ(run.real, "    2.0000") << name;
    EXPECT_EQ(run.totals, journal[static_cast<std::size_t>(n - 1)]) << name;
    EXPECT_GT(run.date, previousDate) << name;  // each run has its own stamp (same day: text order is time order)
    previousDate = run.date;
  }
  EXPECT_FALSE(Exists("bg_0004.mps"));
  EXPECT_EQ(saver.saved.size(), 3u);
  EXPECT_EQ(saver.saved.back().path, (folder / "bg_0003.mps").string());
  EXPECT_TRUE(rig->dialogs.messages.empty());
}

TEST_F(LoggerSeriesTest, ClearingEnableMidSeriesStopsFurtherSaves) {
  Arm(5);
  rig->panel.StartAcquisition();
  // Run 2 has begun when a status read shows the instrument running again after the first save.
  ASSERT_TRUE(rig->RunUntil([&] { return rig->panel.Logger().Completed() == 1; }));
  ASSERT_TRUE(rig->RunUntil([&] { return rig->host.record.registers.Running(); }));
  rig->panel.OnLoggerEnableClicked(false);
  EXPECT_FALSE(rig->panel.Logger().Running());
  EXPECT_EQ(rig->lifecycle.Link().LoggedSeriesStep(), 0);

  // The run in the instrument goes on to its end; nothing more is counted or saved.
  ASSERT_TRUE(rig->RunUntil([&] { return !rig->host.record.registers.Running(); }));
  ASSERT_TRUE(rig->WaitForStatus());
  EXPECT_EQ(rig->panel.Logger().Completed(), 1);
  EXPECT_TRUE(Exists("bg_0001.mps"));
  EXPECT_FALSE(Exists("bg_0002.mps"));
  EXPECT_EQ(saver.saved.size(), 1u);
}

TEST_F(LoggerSeriesTest, DisconnectIsRefusedWhileASeriesRuns) {
  Arm(2);
  rig->panel.StartAcquisition();
  rig->lifecycle.DisconnectHardware();
  EXPECT_TRUE(rig->lifecycle.Link().Connected());
  ASSERT_FALSE(rig->host.errors.empty());
  EXPECT_EQ(rig->host.errors.back(),
            "Spectrum Logging in progress!\nPlease Stop the Spectrum Logger\nbefore disconnecting from hardware!");
  ASSERT_TRUE(rig->RunUntil([&] { return !rig->panel.Logger().Running(); }));
  rig->lifecycle.DisconnectHardware();
  EXPECT_FALSE(rig->lifecycle.Link().Connected());
}

TEST_F(LoggerSeriesTest, AFailedSaveShowsItsMessageAndTheRunStillCounts) {
  Arm(2);
  fs::remove_all(folder);  // the storage folder went away after arming
  rig->panel.StartAcquisition();
  ASSERT_TRUE(rig->RunUntil([&] { return !rig->panel.Logger().Running(); }));
  EXPECT_EQ(rig->panel.Logger().Completed(), 2);
  EXPECT_EQ(rig->dialogs.messages, (std::vector<std::string>{"Unable to Save File", "Unable to Save File"}));
  EXPECT_FALSE(fs::exists(folder));
}

TEST_F(LoggerSeriesTest, ArmingIsRefusedUntilResetHasClearedTheTimes) {
  ASSERT_TRUE(rig->panel.OnPresetTyped(0));
  rig->panel.StartAcquisition();  // runs until stopped
  ASSERT_TRUE(rig->RunUntil([&] { return rig->panel.RealTime() > 0.5; }));
  rig->panel.Logger().SetStorageFolder(folder.string());
  rig->panel.OnLoggerBaseEdited("bg");
  rig->panel.OnLoggerRunsChanged(2);
  rig->panel.OnLoggerEnableClicked(true);
  EXPECT_EQ(rig->dialogs.messages.back(), kPressResetText);

  EXPECT_FALSE(rig->panel.Logger().Enabled());

  rig->panel.StopAcquisition();
  ASSERT_TRUE(rig->WaitForStatus());
  ASSERT_TRUE(rig->WaitForStatus());
  rig->panel.OnLoggerEnableClicked(true);
  EXPECT_EQ(rig->dialogs.messages.back(), kPressResetText);  // stopped, but the times are still there
  EXPECT_EQ(rig->dialogs.messages.size(), 2u);

  ASSERT_TRUE(rig->ResetAndWait());
  rig->panel.OnLoggerEnableClicked(true);
  EXPECT_TRUE(rig->panel.Logger().Enabled());
  EXPECT_EQ(rig->dialogs.messages.size(), 2u);
}

}  // namespace
}  // namespace mirvo
