// mirvo-cli trace against the simulator: one averaged trace written as the viewer's export, the
// options refused with the usage, and an existing file kept unless --overwrite is given.
#include <gtest/gtest.h>

#include <fstream>

#include "CliRig.h"

namespace mirvo::test {
namespace {

using CliTraceTest = CliTest;

std::vector<std::string> FileLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(CliTraceTest, WritesTheExportOfAnAveragedTrace) {
  StartSimulator();
  const std::string path = Scratch("slow");
  const RunResult run = Cli({"trace", Sim().DevicePath(), "--trigger", "S LLD", "--timebase", "4", "--delay", "32",
                             "--average", "4", "--normalized", "-o", path});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Sim().Register(0x18), 4);  // time base 15
  EXPECT_EQ(Sim().Register(0x19), 32);
  EXPECT_EQ((Sim().Register(0x1A) >> 3) & 7, 1);
  const std::vector<std::string> lines = FileLines(path + ".csv");  // the default extension, as in the window
  ASSERT_EQ(lines.size(), 263u);
  EXPECT_EQ(lines[0], "mirvo-PSD Trace Viewer: Captured Traces");
  EXPECT_EQ(lines[1], "Digital Signal: SLOW (NORMALIZED DATA)");
  EXPECT_EQ(lines[2], "Traces Averaged: 4");
  EXPECT_EQ(lines[3], "Trigger Source: S LLD");
  EXPECT_EQ(lines[4], "Trigger Delay: 32 samples (1.2800 us)");
  EXPECT_EQ(lines[7].substr(0, 10), "0,-1.2800,");
  EXPECT_EQ(lines[7 + 32].substr(0, 9), "32,0.0000");
  // The digital words are those of the last block: its S LLD line rises at the trigger point.
  const auto sLld = [&](std::size_t k) {
    const std::string& row = lines[7 + k];
    return row.substr(row.size() - 14, 2);
  };
  EXPECT_EQ(sLld(31), ",0");
  EXPECT_EQ(sLld(32), ",1");

  // An existing file stays unless --overwrite is given.
  const RunResult again = Cli({"trace", Sim().DevicePath(), "-o", path + ".csv"});
  EXPECT_NE(again.status, 0);
  EXPECT_NE(again.err.find("FILE ALREADY EXISTS"), std::string::npos) << again.err;
  EXPECT_EQ(FileLines(path + ".csv"), lines);
  const RunResult forced = Cli({"trace", Sim().DevicePath(), "--signal", "FAST", "--overwrite", "-o", path + ".csv"});
  ASSERT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(FileLines(path + ".csv")[1], "Digital Signal: FAST (RAW DATA)");
}

TEST_F(CliTraceTest, RefusesUnknownOptionValues) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--average", "3"}, {"--signal", "slow"}, {"--trigger", "NOPE"}, {"--timebase", "18"},
        {"--delay", "256"}, {}}) {
    std::vector<std::string> full{"trace", "/dev/null"};
    full.insert(full.end(), args.begin(), args.end());
    if (!args.empty()) full.insert(full.end(), {"-o", Scratch("x.csv")});
    const RunResult run = Cli(full);
    EXPECT_EQ(run.status, 1) << (args.empty() ? "no -o" : args[0]);
  }
  EXPECT_TRUE(ScratchEntries().empty());
}

}  // namespace
}  // namespace mirvo::test
