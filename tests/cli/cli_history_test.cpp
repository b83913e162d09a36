// mirvo-cli acquire and log with --history FILE.csv: the rates, dead time and temperature of every
// status read as CSV, for a series also one row per run beside it; an output that cannot be written
// is refused before the run.
#include <fstream>
#include <sstream>

#include "CliRig.h"

namespace mirvo::test {
namespace {

class CliHistoryTest : public CliTest {};

std::vector<std::string> CsvLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The field `index` (from 0) of a CSV line.
std::string Field(const std::string& line, std::size_t index) {
  std::stringstream in(line);
  std::string field;
  for (std::size_t i = 0; i <= index; ++i) std::getline(in, field, ',');
  return field;
}

constexpr std::size_t kIncomingMean = 5;  // after start (UTC), start, end, first, count

TEST_F(CliHistoryTest, AcquireWritesTheRatesOfEveryStatusRead) {
  kvetral::SimOptions options;
  options.rate = 20000;
  StartSimulator(options);
  const std::string history = Scratch("h.csv");
  const RunResult run =
      Cli({"acquire", Sim().DevicePath(), "--preset", "2", "--history", history, "-o", Scratch("run.mps")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("history " + history), std::string::npos) << run.out;
  const auto lines = CsvLines(history);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("start (UTC),start (s),end (s),first sample,samples,incoming rate mean (cps),", 0), 0u);
  double highest = 0;
  for (std::size_t i = 1; i < lines.size(); ++i) highest = std::max(highest, std::stod(Field(lines[i], kIncomingMean)));
  EXPECT_GT(highest, 10000.0);
}

TEST_F(CliHistoryTest, LogWritesOneRowPerRunBesideTheSamples) {
  StartSimulator();
  const std::string history = Scratch("series.csv");
  const RunResult run = Cli({"log", Sim().DevicePath(), "--runs", "2", "--preset", "2", "--folder", Scratch(""),
                             "--base", "bg", "--history", history});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_GE(CsvLines(history).size(), 3u);
  const auto runs = CsvLines(Scratch("series-runs.csv"));
  ASSERT_EQ(runs.size(), 3u) << run.out;
  EXPECT_EQ(runs[0].rfind("start (UTC),start (s),end (s),first run,runs,", 0), 0u);
  EXPECT_EQ(Field(runs[1], 3), "1");
  EXPECT_EQ(Field(runs[2], 3), "2");
}

TEST_F(CliHistoryTest, AHistoryThatCannotBeWrittenIsRefusedBeforeTheRun) {
  StartSimulator();
  const RunResult run = Cli({"acquire", Sim().DevicePath(), "--preset", "2", "--history",
                             Scratch("missing/h.csv"), "-o", Scratch("run.mps")});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("missing: no such folder"), std::string::npos) << run.err;
  EXPECT_TRUE(ScratchEntries().empty());
}

}  // namespace
}  // namespace mirvo::test
