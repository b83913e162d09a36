// An acquisition ended from outside (Ctrl+C, a closed terminal, a reader gone from the pipe) stops the
// instrument, reads its memory and saves the run; output that cannot be written is an error.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>

#include "CliRig.h"
#include "files/LoadedSpectrumFile.h"

namespace mirvo::test {
namespace {

class CliSignalsTest : public CliTest {};

TEST_F(CliSignalsTest, AcquireEndedFromOutsideStopsAndSaves) {
  struct Case {
    const char* what;
    int signal;  // 0: the reader of stdout goes away
    int status;
  };
  const Case cases[] = {{"Ctrl+C", SIGINT, 0}, {"terminal closed", SIGHUP, 0}, {"terminate", SIGTERM, 0},
                        {"pipe closed", 0, 2}};
  kvetral::SimOptions options;
  options.rate = 5000;
  StartSimulator(options);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Scratch(std::string(c.what) + ".mps");
    Subprocess child(MIRVO_CLI_EXECUTABLE, {"acquire", Sim().DevicePath(), "--preset", "100000", "-o", path});
    ASSERT_TRUE(child.Started());
    ASSERT_TRUE(child.WaitForLine("real ")) << child.Err();
    ASSERT_TRUE(WaitUntilRunning(Sim()));
    if (c.signal != 0) {
      child.Signal(c.signal);
    } else {
      child.CloseOutput();
    }
    const int status = child.Wait();
    EXPECT_EQ(status, c.status) << child.Err();
    EXPECT_EQ(Sim().Register(0x10) & 1u, 0u) << "the instrument still runs";
    LoadedSpectrumFile file;
    ASSERT_TRUE(file.Load(path).Ok());
    EXPECT_GT(file.Times().realSeconds, 0.0);
    if (c.signal == 0) {
      EXPECT_NE(child.Err().find("cannot write to standard output"), std::string::npos) << child.Err();
    }
  }
}

TEST_F(CliSignalsTest, AnOutputThatCannotBeWrittenIsRefusedBeforeTheRun) {
  StartSimulator();
  const std::string missing = Scratch("no-such-folder/x.mps");
  const RunResult acquire = Cli({"acquire", Sim().DevicePath(), "--preset", "1", "-o", missing});
  EXPECT_EQ(acquire.status, 2);
  EXPECT_NE(acquire.err.find(Scratch("no-such-folder") + ": no such folder"), std::string::npos) << acquire.err;
  const RunResult log = Cli({"log", Sim().DevicePath(), "--runs", "2", "--preset", "1", "--folder",
                             Scratch("no-such-folder"), "--base", "run"});
  EXPECT_EQ(log.status, 2);
  EXPECT_NE(log.err.find("no such folder"), std::string::npos) << log.err;
  EXPECT_EQ(Sim().RequestsReceived(), 0u);  // neither ever talked to the instrument
  EXPECT_TRUE(ScratchEntries().empty());
}

TEST_F(CliSignalsTest, ARunThatCannotBeSavedWhereMeantGoesToTheRecoveryFolder) {
  StartSimulator();
  const fs::path state = Scratch("state");
  ::setenv("XDG_STATE_HOME", state.c_str(), 1);
  fs::create_directories(Scratch("out"));
  const std::string path = Scratch("out/run.mps");
  Subprocess child(MIRVO_CLI_EXECUTABLE, {"acquire", Sim().DevicePath(), "--preset", "100000", "-o", path});
  ASSERT_TRUE(child.WaitForLine("real ")) << child.Err();
  ASSERT_TRUE(WaitUntilRunning(Sim()));
  fs::remove_all(Scratch("out"));  // the folder goes away during the run
  child.Signal(SIGINT);
  EXPECT_EQ(child.Wait(), 2);
  const fs::path recovered = state / "mirvo-psd" / "run-unsaved-1.mps";
  EXPECT_NE(child.Err().find("saved instead to " + recovered.string()), std::string::npos) << child.Err();
  LoadedSpectrumFile file;
  EXPECT_TRUE(file.Load(recovered.string()).Ok());
  ::unsetenv("XDG_STATE_HOME");
}

TEST_F(CliSignalsTest, OutputThatCannotBeWrittenFails) {
  const RunResult run = RunProgram("/bin/sh", {"-c", std::string(MIRVO_CLI_EXECUTABLE) + " --help > /dev/full"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("mirvo-cli: cannot write to standard output: No space left on device"), std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace mirvo::test
