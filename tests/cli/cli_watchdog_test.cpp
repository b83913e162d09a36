// mirvo-cli acquire and log with the watchdog: a run the instrument lost (it was reset in the middle)
// still ends with its file, says so on stderr and exits 3; an undisturbed run says nothing and
// exits 0. The state folder is a scratch one.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "CliRig.h"

namespace mirvo::test {
namespace {

class CliWatchdogTest : public CliTest {
 protected:
  std::vector<std::string> StateEnvironment() const { return {"XDG_STATE_HOME=" + Scratch("state")}; }
};

TEST_F(CliWatchdogTest, AnInstrumentResetDuringAcquireIsWarnedAboutAndExitsThree) {
  kvetral::SimOptions options;
  options.rate = 5000;
  StartSimulator(options);
  const std::string path = Scratch("lost.mps");
  Subprocess child(MIRVO_CLI_EXECUTABLE, {"acquire", Sim().DevicePath(), "--preset", "100000", "-o", path},
                   StateEnvironment());
  ASSERT_TRUE(child.Started());
  ASSERT_TRUE(WaitUntilRunning(Sim()));
  // The program has read the run back: its progress shows a real time of a second or more.
  bool shown = false;
  while (!shown) {
    const auto line = child.WaitForLine("real ");
    ASSERT_TRUE(line) << child.Err();
    shown = std::strtod(line->c_str() + line->find("real ") + 5, nullptr) >= 1.0;
  }
  Sim().PowerCycle();
  EXPECT_EQ(child.Wait(), 3) << child.Err();
  EXPECT_TRUE(HasLine(child.Err(), "mirvo-cli acquire: The instrument was reset during the run; no autosave of the "
                                   "run had been made"))
      << child.Err();
  EXPECT_TRUE(fs::exists(path)) << "done: the file is written";
}

TEST_F(CliWatchdogTest, UndisturbedRunsSayNothingAndExitZero) {
  StartSimulator();
  const RunResult acquire =
      RunProgram(MIRVO_CLI_EXECUTABLE, {"acquire", Sim().DevicePath(), "--preset", "2", "-o", Scratch("a.mps")},
                 StateEnvironment());
  EXPECT_EQ(acquire.status, 0) << acquire.err;
  const RunResult log = RunProgram(MIRVO_CLI_EXECUTABLE,
                                   {"log", Sim().DevicePath(), "--runs", "2", "--preset", "1", "--folder",
                                    Scratch(""), "--base", "run"},
                                   StateEnvironment());
  EXPECT_EQ(log.status, 0) << log.err;
  for (const RunResult* run : {&acquire, &log}) {
    EXPECT_EQ(run->err.find("Watchdog"), std::string::npos) << run->err;
    EXPECT_EQ(run->err.find("reset during the run"), std::string::npos) << run->err;
  }
  EXPECT_FALSE(fs::exists(Scratch("state/mirvo-psd/running-acquisition.mps")));
}

TEST_F(CliWatchdogTest, TheAutosaveIntervalIsAWholeNumberOfMinutesUpToADay) {
  for (const char* bad : {"-1", "1441", "2.5", "ten"}) {
    const RunResult run = Cli({"acquire", "ttyKV1", "--preset", "5", "-o", Scratch("x.mps"), "--autosave", bad});
    EXPECT_EQ(run.status, 1) << bad;
    EXPECT_NE(run.err.find("--autosave: needs a whole number from 0 to 1440"), std::string::npos) << run.err;
  }
  StartSimulator();
  const RunResult off = RunProgram(
      MIRVO_CLI_EXECUTABLE,
      {"acquire", Sim().DevicePath(), "--preset", "1", "-o", Scratch("off.mps"), "--autosave", "0"},
      StateEnvironment());
  EXPECT_EQ(off.status, 0) << off.err;
}

}  // namespace
}  // namespace mirvo::test
