// mirvo-cli acquire and log against the simulator (its clock running fast): one run to its preset
// saved as the BUFFER set, and a logged series of two runs that is not overwritten unless asked.
#include <gtest/gtest.h>

#include "CliRig.h"
#include "display/SpectrumPlot.h"
#include "files/LoadedSpectrumFile.h"
#include "timesvc/StartTimeStamp.h"

namespace mirvo::test {
namespace {

using CliAcquireTest = CliTest;

// Every channel of the file's four spectra holds what the instrument counted.
void ExpectCountsOfTheInstrument(const std::string& path, const kvetral::Simulator& sim) {
  LoadedSpectrumFile file;
  ASSERT_TRUE(file.Load(path).Ok()) << path;
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const SpectrumRecord& record = file.Plot(k).Record();
    ASSERT_EQ(record.hardSize, 4096);
    int mismatches = 0;
    for (int ch = 0; ch < record.hardSize; ++ch)
      mismatches += record.hardCounts[ch] != sim.Count(static_cast<unsigned>(k), static_cast<unsigned>(ch)) ? 1 : 0;
    EXPECT_EQ(mismatches, 0);
  }
}

TEST_F(CliAcquireTest, AcquireRunsToThePresetAndSavesTheWholeMemory) {
  kvetral::SimOptions options;
  options.rate = 20000;
  StartSimulator(options);
  struct Case {
    std::vector<std::string> flags;
    bool live;
    const char* kindText;
  };
  const Case cases[] = {
      {{}, false, kStartTimeSystemText},
      {{"--live", "--stamp", "utc"}, true, kStartTimeUtcText},
      {{"--stamp", "local"}, false, kStartTimeLocalText},
  };
  int index = 0;
  for (const Case& c : cases) {
    const std::string path = Scratch("run" + std::to_string(++index) + ".mps");
    SCOPED_TRACE(path);
    std::vector<std::string> args{"acquire", Sim().DevicePath(), "--preset", "2", "-o", path};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    const RunResult run = Cli(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = OutputLines(run.out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.back(), "saved " + path);
    EXPECT_EQ(lines[lines.size() - 2].rfind("real ", 0), 0u) << run.out;

    LoadedSpectrumFile file;
    ASSERT_TRUE(file.Load(path).Ok());
    const AcquisitionTimes times = file.Times();
    EXPECT_DOUBLE_EQ(c.live ? times.liveSeconds : times.realSeconds, 2.0);
    EXPECT_GT(times.realSeconds, times.liveSeconds);  // the simulator has dead time
    EXPECT_EQ(times.kindText, c.kindText);
    EXPECT_EQ(Sim().Register(0x10) & 1, 0);  // the run is over
    ExpectCountsOfTheInstrument(path, Sim());
  }
  // Only the saved files are left: no temporary file stays behind.
  EXPECT_EQ(ScratchEntries(), (std::vector<std::string>{"run1.mps", "run2.mps", "run3.mps"}));
}

TEST_F(CliAcquireTest, LogRecordsTheSeriesAndOverwritesOnlyWhenAsked) {
  StartSimulator();
  const std::vector<std::string> args{"log",    Sim().DevicePath(), "--runs", "2",      "--preset",
                                      "1",      "--folder",         Scratch(""), "--base", "series"};
  const RunResult first = Cli(args);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(first.err.empty()) << first.err;
  const std::vector<std::string> series{"series_0001.mps", "series_0002.mps"};
  EXPECT_EQ(ScratchEntries(), series);
  int run = 0;
  for (const auto& name : series) {
    SCOPED_TRACE(name);
    ++run;
    const std::string start = "run " + std::to_string(run) + "/2  real       1.00 s  live ";
    const std::string end = " s  saved " + Scratch(name);
    int savedLines = 0;
    for (const auto& line : OutputLines(first.out))
      savedLines += line.rfind(start, 0) == 0 && line.size() > end.size() &&
                    line.compare(line.size() - end.size(), end.size(), end) == 0;
    EXPECT_EQ(savedLines, 1) << first.out;
    LoadedSpectrumFile file;
    ASSERT_TRUE(file.Load(Scratch(name)).Ok());
    EXPECT_DOUBLE_EQ(file.Times().realSeconds, 1.0);
  }
  EXPECT_TRUE(HasLine(first.out, "2 of 2 runs completed")) << first.out;
  ExpectCountsOfTheInstrument(Scratch(series.back()), Sim());

  // Again without --overwrite: the series is refused before its first run, the files stay as they were.
  const std::string before = ReadWhole(Scratch(series.front()));
  const std::uint64_t requests = Sim().RequestsReceived();
  const RunResult refused = Cli(args);
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("LOGGING DATA WITH THIS FILE NAME ALREADY EXISTS.\nDO YOU WANT TO OVERWRITE THE LOGGING "
                             "FILES?\n(refused: pass --overwrite to overwrite)\n"),
            std::string::npos)
      << refused.err;
  EXPECT_NE(refused.err.find("mirvo-cli log: the spectrum logger was not enabled"), std::string::npos);
  EXPECT_EQ(ReadWhole(Scratch(series.front())), before);
  EXPECT_EQ(ScratchEntries(), series);
  EXPECT_GT(Sim().RequestsReceived(), requests);  // it did connect and reset first

  std::vector<std::string> overwrite = args;
  overwrite.push_back("--overwrite");
  const RunResult again = Cli(overwrite);
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_TRUE(HasLine(again.out, "2 of 2 runs completed")) << again.out;
  EXPECT_EQ(ScratchEntries(), series);
  ExpectCountsOfTheInstrument(Scratch(series.back()), Sim());
}

TEST_F(CliAcquireTest, ASeriesThatCouldNotBeSavedIsRefusedBeforeItStarts) {
  StartSimulator();
  const std::string folder = Scratch("no-such-folder");
  const RunResult run =
      Cli({"log", Sim().DevicePath(), "--runs", "2", "--preset", "1", "--folder", folder, "--base", "series"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("Unable to Save File"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(folder + ": no such folder"), std::string::npos) << run.err;
  EXPECT_EQ(Sim().RequestsReceived(), 0u);  // no run was made only to be thrown away
  EXPECT_TRUE(ScratchEntries().empty());
}

}  // namespace
}  // namespace mirvo::test
