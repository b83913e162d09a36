// mirvo-cli ports, status and poll against the simulator: the port list, one status read by device
// path or by the bare port name, polling with its line report, and a port that does not open.
#include <gtest/gtest.h>

#include <regex>

#include "CliRig.h"

namespace mirvo::test {
namespace {

using CliLinkTest = CliTest;

TEST_F(CliLinkTest, PortsListsTheSimulatorWithItsLink) {
  kvetral::SimOptions options;
  options.serial = 4242;
  StartSimulator(options);
  const RunResult run = Cli({"ports"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(HasLine(run.out, "Kvetral simulator (ttyKV4242)\t" + Sim().LinkPath())) << run.out;
}

TEST_F(CliLinkTest, StatusReadsTheInstrumentOnceByPathOrPortName) {
  kvetral::SimOptions options;
  options.serial = 4242;
  StartSimulator(options);
  for (const std::string& port : {Sim().DevicePath(), std::string("ttyKV4242")}) {
    SCOPED_TRACE(port);
    const std::uint64_t before = Sim().RequestsReceived();
    const RunResult run = Cli({"status", port});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    const auto lines = OutputLines(run.out);
    ASSERT_EQ(lines.size(), 7u) << run.out;
    EXPECT_EQ(lines[0], "Serial number:        04242");
    EXPECT_EQ(lines[1], "Firmware:             2.50");
    EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(Internal temperature: -?\d+ C)"))) << lines[2];
    EXPECT_TRUE(std::regex_match(lines[3], std::regex(R"(Slow ADC voltage:     [ \d]{3}\.\d V)"))) << lines[3];
    EXPECT_EQ(lines[4], "Real time:                  0.00 s");
    EXPECT_EQ(lines[5], "Live time:                  0.00 s");
    EXPECT_EQ(lines[6], "Acquisition running:  no");
    EXPECT_GE(Sim().RequestsReceived(), before + 1);
  }
}

TEST_F(CliLinkTest, StatusShowsARunInProgress) {
  StartSimulator();
  // START through the instrument's own register interface: run bit of the control word.
  Sim().SetRegister(0x10, 1);
  Sim().AdvanceTime(3.0);
  const RunResult run = Cli({"status", Sim().DevicePath()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(HasLine(run.out, "Acquisition running:  yes")) << run.out;
  EXPECT_EQ(run.out.find("Real time:                  0.00 s"), std::string::npos) << run.out;
}

TEST_F(CliLinkTest, PollReportsTheLineUseAndDisconnects) {
  StartSimulator();
  const RunResult run = Cli({"poll", Sim().DevicePath(), "--seconds", "0.5"});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto lines = OutputLines(run.out);
  ASSERT_GE(lines.size(), 5u) << run.out;
  EXPECT_NE(lines.front().find(">> Connected to: " + Sim().DevicePath()), std::string::npos) << run.out;
  std::smatch m;
  bool counted = false;
  for (const auto& line : lines) {
    if (!std::regex_match(line, m, std::regex(R"(transactions: (\d+), repeats: 0, bytes sent: (\d+), bytes received: (\d+))")))
      continue;
    counted = true;
    EXPECT_GT(std::stoull(m[1]), 0u);
    EXPECT_GT(std::stoull(m[3]), std::stoull(m[2]));  // spectrum chunks are much longer than requests
  }
  EXPECT_TRUE(counted) << run.out;
  EXPECT_TRUE(std::regex_search(run.out, std::regex(R"(\nfull pass: (none completed|[\d.]+ s, line-rate bound: [\d.]+ s, ratio: [\d.]+)\n)")))
      << run.out;
  EXPECT_TRUE(std::regex_search(run.out, std::regex(R"(\ncpu: [\d.]+ s in [\d.]+ s, [\d.]+ % of one core\n$)"))) << run.out;
  EXPECT_NE(run.out.find(">> Disconnected from hardware"), std::string::npos) << run.out;
}

TEST_F(CliLinkTest, APortThatDoesNotOpenGivesExitStatusTwoWithTheLogLines) {
  const std::string missing = Scratch("ttyKV-missing");
  const RunResult status = Cli({"status", missing});
  EXPECT_EQ(status.status, 2);
  EXPECT_NE(status.err.find(">> Unable to open COM-port"), std::string::npos) << status.err;

  const RunResult poll = Cli({"poll", missing, "--seconds", "5"});
  EXPECT_EQ(poll.status, 2);
  EXPECT_NE(poll.out.find(">> Unable to open COM-port"), std::string::npos) << poll.out;

  const RunResult acquire = Cli({"acquire", missing, "--preset", "1", "-o", Scratch("a.mps")});
  EXPECT_EQ(acquire.status, 2);
  EXPECT_NE(acquire.err.find("mirvo-cli connect: the link to " + missing + " failed"), std::string::npos)
      << acquire.err;
  EXPECT_NE(acquire.err.find(">> Unable to open COM-port"), std::string::npos) << acquire.err;

  const RunResult log =
      Cli({"log", missing, "--runs", "2", "--preset", "1", "--folder", Scratch(""), "--base", "run"});
  EXPECT_EQ(log.status, 2);
  EXPECT_NE(log.err.find("the link to " + missing + " failed"), std::string::npos) << log.err;
  EXPECT_TRUE(ScratchEntries().empty());
}

}  // namespace
}  // namespace mirvo::test
