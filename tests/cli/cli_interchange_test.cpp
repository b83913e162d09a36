// mirvo-cli export --format n42|spe, info on .n42 and .spe files, and log --n42, on a spectrum file
// that mirvo-cli acquire wrote: an exported file read back gives the same CSV export, byte for byte.
#include <gtest/gtest.h>

#include "CliRig.h"
#include "FileTestSupport.h"
#include "display/SpectrumPlot.h"
#include "files/LoadedSpectrumFile.h"

namespace mirvo::test {
namespace {

class CliInterchangeTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    path = Scratch("acquired.mps");
    kvetral::SimOptions options;
    options.rate = 20000;
    options.source = "cs137";
    options.serial = 321;
    StartSimulator(options);
    ASSERT_NO_FATAL_FAILURE(Acquire(path));
  }
  std::string path;
};

TEST_F(CliInterchangeTest, ExportedN42AndSpeFilesReadBackAsTheSpectrumFile) {
  struct Export {
    std::vector<std::string> args;
    std::string out;
  };
  const std::vector<Export> exports = {
      {{"--format", "n42"}, Scratch("all.n42")},
      {{"--format", "n42", "--spectrum", "2"}, Scratch("s2.n42")},
      {{"--format", "spe", "--spectrum", "1"}, Scratch("s1.spe")},
  };
  for (const Export& e : exports) {
    std::vector<std::string> args{"export", path};
    args.insert(args.end(), e.args.begin(), e.args.end());
    args.insert(args.end(), {"-o", e.out});
    const RunResult run = Cli(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
  }
  // The CSV of a spectrum is the same from the .mps file and from what was exported of it.
  const auto csv = [&](const std::string& from, int k, const std::string& out) {
    const RunResult run = Cli({"export", from, "--spectrum", std::to_string(k), "-o", out});
    EXPECT_EQ(run.status, 0) << run.err;
    return ReadWhole(out);
  };
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const std::string expected = csv(path, k, Scratch("mps.csv"));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(csv(Scratch("all.n42"), k, Scratch("n42.csv")), expected);
  }
  EXPECT_EQ(csv(Scratch("s2.n42"), 2, Scratch("s2.csv")), csv(path, 2, Scratch("mps2.csv")));
  EXPECT_EQ(csv(Scratch("s1.spe"), 1, Scratch("s1.csv")), csv(path, 1, Scratch("mps1.csv")));

  const RunResult mpsInfo = Cli({"info", path});
  const RunResult n42Info = Cli({"info", Scratch("all.n42")});
  ASSERT_EQ(n42Info.status, 0) << n42Info.err;
  EXPECT_TRUE(HasLine(n42Info.out, "serial number: 00321")) << n42Info.out;
  // Everything but the file name, tags, FOM ranges, temperatures and the use-all flag of a calibration
  // without points (which N42 does not carry).
  const auto lines = [](const std::string& text) {
    std::vector<std::string> kept;
    for (std::string line : SplitLines(text)) {
      for (const std::string used : {", all used", ", ticked used"})
        if (line.find("0 points" + used) != std::string::npos) line.erase(line.find(used));
      if (line.rfind("file:", 0) != 0 && line.rfind("FOM", 0) != 0 && line.rfind("internal", 0) != 0 &&
          line.rfind("slow ADC", 0) != 0 && line.rfind("tag:", 0) != 0 && line.rfind("  tag:", 0) != 0)
        kept.push_back(line);
    }
    return kept;
  };
  EXPECT_EQ(lines(n42Info.out), lines(mpsInfo.out));

  WriteWhole(Scratch("bad.n42"), "<RadInstrumentData>");
  const RunResult bad = Cli({"info", Scratch("bad.n42")});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "mirvo-cli info: " + Scratch("bad.n42") + ": Unable to Open File\n");
}

TEST_F(CliInterchangeTest, LogSavesEachRunAsN42BesideOrInsteadOfTheSpectrumFile) {
  const auto log = [&](const std::string& mode, const std::string& base) {
    return Cli({"log", Sim().DevicePath(), "--runs", "1", "--preset", "1", "--folder", Scratch(""), "--base", base,
                "--n42", mode});
  };
  const RunResult beside = log("beside", "b");
  ASSERT_EQ(beside.status, 0) << beside.err;
  const RunResult instead = log("instead", "i");
  ASSERT_EQ(instead.status, 0) << instead.err;
  const std::vector<std::string> expected = {"acquired.mps", "b_0001.mps", "b_0001.n42", "i_0001.n42"};
  EXPECT_EQ(ScratchEntries(), expected);
  LoadedSpectrumFile mps;
  LoadedSpectrumFile n42;
  ASSERT_TRUE(mps.Load(Scratch("b_0001.mps")).Ok());
  ASSERT_TRUE(n42.Load(Scratch("b_0001.n42")).Ok());
  for (int k = 0; k < 4; ++k) {
    const SpectrumRecord& a = mps.Plot(k).Record();
    const SpectrumRecord& b = n42.Plot(k).Record();
    EXPECT_TRUE(std::equal(a.hardCounts, a.hardCounts + kMaxChannels, b.hardCounts)) << k;
  }
  EXPECT_EQ(n42.Times().stampText, mps.Times().stampText);
  EXPECT_EQ(Cli({"log", Sim().DevicePath(), "--runs", "1", "--preset", "1", "--folder", Scratch(""), "--base", "x",
                 "--n42", "both"})
                .status,
            1);
}

}  // namespace
}  // namespace mirvo::test
