// Autosave of a running acquisition against the in-process simulator: the recovery file holds the
// counts of the moment, a clean stop removes it, an instrument that loses its memory during the run
// leaves it kept, a failed write keeps the previous one, and a connect to an instrument holding less
// saves the unsaved BUFFER set before it is replaced. The state folder is a temporary one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "AcquisitionRig.h"
#include "FileTestSupport.h"
#include "display/SpectrumPlot.h"
#include "files/LoadedSpectrumFile.h"
#include "files/SpectrumFile.h"
#include "monitor/WatchdogSession.h"

namespace mirvo {
namespace {

using test::AcquisitionRig;

struct Heard final : IWatchdogListener {
  void WatchdogLine(const std::string& text, bool warning) override {
    lines.push_back(text);
    if (warning) warnings.push_back(text);
    if (onLine) onLine(text);
  }
  void WatchdogNotice(const std::string& text) override { notices.push_back(text); }
  bool Said(const std::string& part) const {
    for (const auto& line : lines)
      if (line.find(part) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> lines, warnings, notices;
  std::function<void(const std::string&)> onLine;
};

kvetral::SimOptions Fast() {
  kvetral::SimOptions options;
  options.speed = 20;
  options.rate = 5000;
  return options;
}

class AutosaveTest : public ::testing::Test {
 protected:
  AutosaveTest() {
    const char* old = std::getenv("XDG_STATE_HOME");
    if (old != nullptr) oldState_ = old;
    ::setenv("XDG_STATE_HOME", state.Path().c_str(), 1);
    // The clock jumps a minute at a time here: the watchdog's thresholds are out of the way.
    session.SetSettings(WatchdogSettings{.frozenSeconds = 86400, .noCountsSeconds = 86400, .silenceSeconds = 86400,
                                         .autosaveMinutes = 1});
    session.Attach(rig.lifecycle);
  }
  ~AutosaveTest() override {
    if (oldState_) ::setenv("XDG_STATE_HOME", oldState_->c_str(), 1);
    else ::unsetenv("XDG_STATE_HOME");
  }

  // Connected, reset, started, and counting in the BUFFER set.
  void StartCounting() {
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.panel.OnPresetTyped(1000000));  // runs until stopped here
    ASSERT_TRUE(rig.ResetAndWait());
    rig.panel.StartAcquisition();
    // A status read has shown the run (the run bits of the start are in the image before that).
    ASSERT_TRUE(rig.RunUntil([&] { return session.Saver().RunWatched() && session.BufferCounts() > 1000; }));
  }
  // Moves the clock past the interval and waits for the autosave the next status read makes.
  bool AutosaveDue() {
    const std::size_t before = heard.lines.size();
    rig.stampClock.Advance(61000);
    return rig.RunUntil([&] {
      for (std::size_t i = before; i < heard.lines.size(); ++i)
        if (heard.lines[i].rfind("Autosave", 0) == 0) return true;
      return false;
    });
  }
  std::string Said() const {
    std::string all;
    for (const auto& line : heard.lines) all.append(line).append("\n");
    for (const auto& text : rig.LogTexts()) all.append("log: ").append(text).append("\n");
    all.append(rig.host.record.registers.Running() ? "running, real " : "stopped, real ").append(rig.panel.RealText());
    all.append(session.Saver().RunWatched() ? " watched" : " not watched").append(" clock ")
        .append(std::to_string(rig.stampClock.UtcMilliseconds())).append(" folds ")
        .append(std::to_string(rig.host.statusFolds));
    return all;
  }
  bool RunStopped() {
    return rig.RunUntil([&] { return !rig.host.record.registers.Running(); });
  }
  static std::uint64_t FileTotal(const std::string& path) {
    LoadedSpectrumFile file;
    if (!file.Load(path).Ok()) return 0;
    std::uint64_t total = 0;
    for (int k = 0; k < 4; ++k)
      for (int ch = 0; ch < file.Plot(k).HardSize(); ++ch) total += file.Plot(k).Record().hardCounts[ch];
    return total;
  }
  std::string RecoveryFile() const { return (state.Path() / "mirvo-psd" / "running-acquisition.mps").string(); }
  std::vector<std::string> StateFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(state.Path() / "mirvo-psd"))
      names.push_back(entry.path().filename().string());
    return names;
  }

  test::TempFolder state;
  std::optional<std::string> oldState_;
  test::FaultyFileSystem fs;
  AcquisitionRig rig{Fast()};
  Heard heard;
  WatchdogSession session{rig.stampClock,
                          rig.panel,
                          rig.host.memory,
                          [this] { return rig.host.samplePeriodUs; },
                          [this](const std::string& path, FileSystemOps& ops) {
                            return WriteSpectrumFile(rig.host.BufferSet(), path,
                                                     TimesFromRegisters(rig.host.record.registers,
                                                                        rig.host.samplePeriodUs),
                                                     ops);
                          },
                          heard,
                          fs};
};

TEST_F(AutosaveTest, ARunLeavesALoadableRecoveryFileWithTheCountsOfThatMomentAndACleanStopRemovesIt) {
  StartCounting();
  SpectrumMemory atSave;
  heard.onLine = [&](const std::string& text) {
    if (text.rfind("Autosave: ", 0) == 0) atSave = rig.host.memory;
  };
  ASSERT_TRUE(AutosaveDue()) << Said();
  ASSERT_TRUE(std::filesystem::exists(RecoveryFile())) << heard.lines.back();
  EXPECT_NE(heard.lines.back().find(RecoveryFile()), std::string::npos);

  LoadedSpectrumFile file;
  ASSERT_TRUE(file.Load(RecoveryFile()).Ok());
  EXPECT_TRUE(file.Damage().empty());
  std::uint64_t total = 0;
  for (unsigned k = 0; k < 4; ++k) {
    for (unsigned ch = 0; ch < 4096; ++ch) {
      const std::uint32_t saved = file.Plot(static_cast<int>(k)).Record().hardCounts[ch];
      ASSERT_EQ(saved, atSave.Spectrum(k)[ch]) << "S" << k << " channel " << ch;
      ASSERT_LE(saved, rig.sim->Count(k, ch)) << "S" << k << " channel " << ch;  // the instrument only adds
      total += saved;
    }
  }
  EXPECT_GT(total, 1000u);
  EXPECT_GT(file.Times().realSeconds, 0.0);

  rig.panel.StopAcquisition();
  ASSERT_TRUE(RunStopped());
  ASSERT_TRUE(rig.WaitForStatus());
  EXPECT_FALSE(std::filesystem::exists(RecoveryFile()));
  EXPECT_TRUE(heard.warnings.empty()) << heard.warnings.front();
  EXPECT_FALSE(session.Affected());
}

TEST_F(AutosaveTest, AnInstrumentResetDuringTheRunKeepsTheLastAutosaveAndSaysWhere) {
  StartCounting();
  ASSERT_TRUE(AutosaveDue());
  const std::string before = test::ReadWhole(RecoveryFile());
  ASSERT_FALSE(before.empty());

  rig.sim->PowerCycle();
  ASSERT_TRUE(rig.RunUntil([&] { return !heard.notices.empty(); }));
  const std::string& notice = heard.notices.front();
  EXPECT_NE(notice.find("The instrument was reset during the run"), std::string::npos) << notice;
  const auto at = notice.find(" is kept in ");
  ASSERT_NE(at, std::string::npos) << notice;
  const std::string kept = notice.substr(at + 12);
  EXPECT_EQ(test::ReadWhole(kept), before);
  EXPECT_GT(FileTotal(kept), 1000u);
  EXPECT_EQ(std::filesystem::path(kept).parent_path(), state.Path() / "mirvo-psd");
  EXPECT_TRUE(heard.Said(kept));
  EXPECT_TRUE(session.Affected());

  // Later status reads (the run bit is gone with the power) leave the kept file alone.
  ASSERT_TRUE(rig.WaitForStatus());
  ASSERT_TRUE(rig.WaitForStatus());
  EXPECT_EQ(test::ReadWhole(kept), before);
}

TEST_F(AutosaveTest, AFailedAutosaveWarnsAndKeepsThePreviousOne) {
  StartCounting();
  ASSERT_TRUE(AutosaveDue());
  const std::string before = test::ReadWhole(RecoveryFile());
  ASSERT_FALSE(before.empty());

  fs.bytesBeforeFull = fs.written + 1000;  // the disk fills up during the next autosave
  ASSERT_TRUE(AutosaveDue());
  ASSERT_EQ(heard.notices.size(), 1u);
  EXPECT_NE(heard.notices[0].find("Autosave failed: Error Writing to File"), std::string::npos) << heard.notices[0];
  EXPECT_NE(heard.notices[0].find("no space left"), std::string::npos) << heard.notices[0];
  EXPECT_NE(heard.notices[0].find("the previous autosave"), std::string::npos) << heard.notices[0];
  EXPECT_EQ(test::ReadWhole(RecoveryFile()), before);
  EXPECT_EQ(StateFiles(), std::vector<std::string>{"running-acquisition.mps"}) << "no temporary file left";
  EXPECT_TRUE(session.Affected());

  fs.bytesBeforeFull = static_cast<std::size_t>(-1);  // room again: the next one succeeds
  ASSERT_TRUE(AutosaveDue());
  EXPECT_EQ(heard.lines.back().rfind("Autosave: ", 0), 0u) << heard.lines.back();
  EXPECT_NE(test::ReadWhole(RecoveryFile()), before);
}

TEST_F(AutosaveTest, AReconnectToAnInstrumentHoldingLessSavesTheBufferSetBeforeItIsReplaced) {
  StartCounting();
  rig.panel.StopAcquisition();
  ASSERT_TRUE(RunStopped());
  ASSERT_TRUE(rig.WaitForStatus());
  ASSERT_TRUE(rig.WaitForStatus());
  const SpectrumMemory unsaved = rig.host.memory;
  std::uint64_t unsavedTotal = 0;
  for (std::uint32_t count : unsaved.Counts()) unsavedTotal += count;
  ASSERT_GT(unsavedTotal, 1000u);
  session.NoteUserDisconnect();
  rig.lifecycle.DisconnectHardware();

  rig.sim->PowerCycle();  // the instrument restarts while the program is away
  ASSERT_TRUE(rig.Connect());
  ASSERT_EQ(heard.notices.size(), 1u);
  const std::string& notice = heard.notices[0];
  const auto at = notice.find(" was saved to ");
  ASSERT_NE(at, std::string::npos) << notice;
  const std::string copy = notice.substr(at + 14, notice.find(" before it is replaced") - at - 14);
  EXPECT_TRUE(heard.Said(copy));

  // The instrument's empty memory replaces the BUFFER set; the copy holds what was there.
  ASSERT_TRUE(rig.RunUntil([&] { return session.BufferCounts() == 0; }));
  EXPECT_EQ(FileTotal(copy), unsavedTotal);
}

TEST_F(AutosaveTest, AReconnectToAnInstrumentHoldingAsMuchLeavesNoCopy) {
  StartCounting();
  rig.panel.StopAcquisition();
  ASSERT_TRUE(RunStopped());
  ASSERT_TRUE(rig.WaitForStatus());
  session.NoteUserDisconnect();
  rig.lifecycle.DisconnectHardware();
  ASSERT_TRUE(rig.Connect());
  EXPECT_TRUE(heard.notices.empty()) << heard.notices.front();
  EXPECT_TRUE(StateFiles().empty());
}

TEST_F(AutosaveTest, SavingTheBufferSetClearsTheAutosaveAndTheGuard) {
  StartCounting();
  ASSERT_TRUE(AutosaveDue());
  ASSERT_TRUE(std::filesystem::exists(RecoveryFile()));
  session.NoteBufferSaved();
  EXPECT_FALSE(std::filesystem::exists(RecoveryFile()));
  rig.panel.StopAcquisition();
  ASSERT_TRUE(RunStopped());
  ASSERT_TRUE(rig.WaitForStatus());
  session.NoteBufferSaved();
  session.NoteUserDisconnect();
  rig.lifecycle.DisconnectHardware();
  rig.sim->PowerCycle();
  ASSERT_TRUE(rig.Connect());
  EXPECT_TRUE(heard.notices.empty()) << "saved counts need no copy: " << heard.notices.front();
}

}  // namespace
}  // namespace mirvo
