// mirvo-cli info, export, analyse and report on a spectrum file that mirvo-cli acquire wrote: what
// they print and write agrees with the program's own file reader, CSV export and peak analysis.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "CliRig.h"
#include "records/Captions.h"
#include "display/PeakAnalysis.h"
#include "display/SpectrumPlot.h"
#include "base/TextFormat.h"
#include "files/LoadedSpectrumFile.h"
#include "files/SpectrumCsv.h"

namespace mirvo::test {
namespace {

class CliFilesTest : public CliTest {
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
    ASSERT_TRUE(file.Load(path).Ok());
  }
  // The photopeak of S1: the highest channel between 700 and 1300 (hard channels).
  int PeakChannel() {
    const SpectrumRecord& s1 = file.Plot(1).Record();
    int best = 700;
    for (int ch = 700; ch < 1300; ++ch)
      if (s1.hardCounts[ch] > s1.hardCounts[best]) best = ch;
    return best;
  }

  std::string path;
  LoadedSpectrumFile file;
};

TEST_F(CliFilesTest, InfoShowsTheFileAsTheProgramReadsIt) {
  const RunResult run = Cli({"info", path});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.err.empty()) << run.err;
  const AcquisitionTimes times = file.Times();
  for (const std::string& line :
       {"file: " + path, std::string("serial number: 00321"), "start: " + times.stampText + " (START TIME: SYSTEM)",
        std::string("real time: 2.00 s"), "live time: " + FormatText("%.2f", times.liveSeconds) + " s",
        std::string("firmware: 2.50"), std::string("FOM ranges (hard channels of S0): peak 1 0:0, peak 2 0:0")}) {
    EXPECT_TRUE(HasLine(run.out, line)) << line << "\n" << run.out;
  }
  // Per spectrum its sizes and total counts, in order S0..S3.
  std::size_t at = 0;
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const SpectrumRecord& record = file.Plot(k).Record();
    std::uint64_t total = 0;
    for (int ch = 0; ch < record.hardSize; ++ch) total += record.hardCounts[ch];
    EXPECT_GT(total, 0u);
    at = run.out.find("\nS" + std::to_string(k) + ": ", at);
    ASSERT_NE(at, std::string::npos) << run.out;
    // The BUFFER records carry the window's default captions into the file.
    EXPECT_EQ(run.out.compare(at + 1, 4 + std::string(kDefaultCaptions[k]).size() + 1,
                              "S" + std::to_string(k) + ": " + kDefaultCaptions[k] + "\n"),
              0)
        << run.out;
    const std::string block = run.out.substr(at, run.out.find("\nS", at + 1) - at);
    EXPECT_NE(block.find("\n  hard size: 4096\n  soft size: 4096\n  total counts: " + std::to_string(total) + "\n"),
              std::string::npos)
        << block;
    EXPECT_NE(block.find("\n  calibration: disabled, unit chn, 0 points"), std::string::npos) << block;
  }
}

TEST_F(CliFilesTest, ExportWritesTheCsvByteForByteAsTheProgram) {
  for (int k = 0; k < 4; ++k) {
    for (const bool soft : {false, true}) {
      SCOPED_TRACE(std::to_string(k) + (soft ? " soft" : " hard"));
      const std::string out = Scratch("s" + std::to_string(k) + (soft ? "soft" : "") + ".csv");
      std::vector<std::string> args{"export", path, "--spectrum", std::to_string(k), "-o", out};
      if (soft) args.push_back("--soft");
      const RunResult run = Cli(args);
      ASSERT_EQ(run.status, 0) << run.err;
      EXPECT_TRUE(run.out.empty() && run.err.empty()) << run.out << run.err;
      const std::string expected = Scratch("expected.csv");
      ASSERT_TRUE(ExportSpectrumCsv(file.Plot(k), expected, !soft, file.Times()).Ok());
      EXPECT_EQ(ReadWhole(out), ReadWhole(expected));
      EXPECT_EQ(ReadWhole(out).rfind("Spectrum S" + std::to_string(k) + ":" + kDefaultCaptions[k] + "\n", 0), 0u);
    }
  }
  // An export that cannot be written leaves nothing behind.
  const std::string unwritable = Scratch("no-such-folder/out.csv");
  const RunResult run = Cli({"export", path, "--spectrum", "1", "-o", unwritable});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "mirvo-cli export: " + unwritable + ": Unable to Save File\n" + Scratch("no-such-folder") +
                        ": no such folder\n");
  EXPECT_FALSE(fs::exists(Scratch("no-such-folder")));
  // An output that is the input is refused; the spectrum file stays as it was.
  const std::string before = ReadWhole(path);
  const RunResult same = Cli({"export", path, "--spectrum", "1", "-o", path});
  EXPECT_EQ(same.status, 1);
  EXPECT_NE(same.err.find("is the input"), std::string::npos) << same.err;
  EXPECT_EQ(ReadWhole(path), before);

}

std::string RoiLine(const SpectrumPlot& plot, int first, int last) {
  const RoiAnalysis roi = AnalyseRoi(plot, first, last);
  char text[256];
  std::snprintf(text, sizeof text, "roi %d:%d integral=%.0f area=%.0f centroid=%.2f fwhm=%.2f fwtm=%.2f result=%d",
                first, last, roi.peak.integral, roi.peak.area, roi.peak.centroid, roi.peak.fwhm, roi.peak.fwtm,
                roi.result);
  return text;
}

TEST_F(CliFilesTest, AnalyseGivesThePeakInformationOfEachRoi) {
  const int peak = PeakChannel();
  const std::string photopeak = std::to_string(peak - 45) + ":" + std::to_string(peak + 45);
  const RunResult hard = Cli({"analyse", path, "--spectrum", "1", "--roi", photopeak, "--roi", "3000:3001", "--fom"});
  ASSERT_EQ(hard.status, 0) << hard.err;
  const auto lines = OutputLines(hard.out);
  ASSERT_EQ(lines.size(), 3u) << hard.out;
  // The peak fields come first, unchanged; the statistics follow them.
  EXPECT_EQ(lines[0].rfind(RoiLine(file.Plot(1), peak - 45, peak + 45) + " integral_sigma=", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find(" result=1 "), std::string::npos) << lines[0];  // the photopeak is a peak
  EXPECT_EQ(lines[1].rfind(RoiLine(file.Plot(1), 3000, 3001) + " integral_sigma=", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2], "fom=-----------");  // the file has no FOM ranges

  // Folded to 1024 soft channels first: the ROI is in soft channels.
  const int softPeak = peak / 4;
  const std::string softRoi = std::to_string(softPeak - 12) + ":" + std::to_string(softPeak + 12);
  const RunResult soft = Cli({"analyse", path, "--spectrum", "1", "--soft", "1024", "--roi", softRoi});
  ASSERT_EQ(soft.status, 0) << soft.err;
  file.Plot(1).ApplySizes(4096, 1024);
  EXPECT_EQ(soft.out.rfind(RoiLine(file.Plot(1), softPeak - 12, softPeak + 12) + " integral_sigma=", 0), 0u) << soft.out;
  EXPECT_EQ(OutputLines(soft.out).size(), 1u);

  for (const char* size : {"100", "511", "8192", "x"}) {
    SCOPED_TRACE(size);
    const RunResult bad = Cli({"analyse", path, "--spectrum", "1", "--soft", size, "--roi", "1:2"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, std::string("mirvo-cli analyse: soft size ") + size + " outside 512..4096\n");
    EXPECT_TRUE(bad.out.empty()) << bad.out;
  }
}

TEST_F(CliFilesTest, ReportHasOneRowPerFileThatOpens) {
  const std::string missing = Scratch("missing.mps");
  const int peak = PeakChannel();
  const std::string roi = std::to_string(peak - 45) + ":" + std::to_string(peak + 45);
  const std::string out = Scratch("report.csv");
  const RunResult toFile = Cli({"report", path, missing, path, "--spectrum", "1", "--roi", roi, "--fom", "-o", out});
  EXPECT_EQ(toFile.status, 2);
  EXPECT_EQ(toFile.err, "mirvo-cli report: " + missing + ": Unable to Open File\n");
  EXPECT_TRUE(toFile.out.empty()) << toFile.out;

  const AcquisitionTimes times = file.Times();
  const RoiAnalysis analysis = AnalyseRoi(file.Plot(1), peak - 45, peak + 45);
  ASSERT_EQ(analysis.result, kPeakFound);
  const std::string row = path + "," + times.stampText + ",2.0000," + FormatText("%.4f", times.liveSeconds) + "," +
                          FormatText("%.0f", analysis.peak.integral) + "," + FormatText("%.0f", analysis.peak.area) +
                          "," + FormatText("%.2f", analysis.peak.centroid) + "," +
                          FormatText("%.2f", analysis.peak.fwhm) + "," + FormatText("%.2f", analysis.resolution) +
                          ",-----------,";
  // The peak columns come first, unchanged; the statistics columns follow them.
  const std::string heading =
      "File,Start,Real Time [s],Live Time [s],Integral,Area,Centroid,FWHM,Resolution [%],FOM,Warning,Integral Sigma,";
  const std::string written = ReadWhole(out);
  const auto rows = SplitLines(written);
  ASSERT_EQ(rows.size(), 3u) << written;
  EXPECT_EQ(rows[0].rfind(heading, 0), 0u) << rows[0];
  for (std::size_t i : {1u, 2u}) EXPECT_EQ(rows[i].rfind(row, 0), 0u) << rows[i];
  EXPECT_EQ(rows[1], rows[2]);

  // Without -o the same rows go to stdout.
  const RunResult toStdout = Cli({"report", path, missing, path, "--spectrum", "1", "--roi", roi, "--fom"});
  EXPECT_EQ(toStdout.status, 2);
  EXPECT_EQ(toStdout.out, written);

  // A report that cannot be written: nothing is left behind.
  const std::string unwritable = Scratch("no-such-folder/report.csv");
  const RunResult failed = Cli({"report", path, "--spectrum", "1", "--roi", roi, "-o", unwritable});
  EXPECT_EQ(failed.status, 2);
  // The specified text, then the system's reason on the next line.
  EXPECT_EQ(failed.err, "mirvo-cli report: " + unwritable + ": Unable to Save File\n" + Scratch("no-such-folder") +
                            ": no such folder\n");
  EXPECT_FALSE(fs::exists(Scratch("no-such-folder")));

  // An output that is one of the inputs is refused, also through a link; the file stays a spectrum file.
  const std::string before = ReadWhole(path);
  const std::string link = Scratch("link.mps");
  fs::create_symlink(path, link);
  for (const std::string& output : {path, link}) {
    const RunResult same = Cli({"report", path, "--spectrum", "1", "--roi", roi, "-o", output});
    EXPECT_EQ(same.status, 1) << output;
    EXPECT_NE(same.err.find("is the input"), std::string::npos) << same.err;
  }
  EXPECT_EQ(ReadWhole(path), before);

  // A damaged file after a good one: its row carries nothing over from the good file.
  const std::string truncated = Scratch("truncated.mps");
  WriteWhole(truncated, ReadWhole(path).substr(0, 300));
  const RunResult damaged = Cli({"report", path, truncated, "--spectrum", "1", "--roi", roi});
  const auto lines = SplitLines(damaged.out);
  ASSERT_EQ(lines.size(), 3u) << damaged.out;
  EXPECT_EQ(lines[2].rfind(truncated + ",", 0), 0u) << lines[2];
  EXPECT_EQ(lines[2].find(times.stampText), std::string::npos) << lines[2];
  EXPECT_EQ(lines[2].find(",2.0000,"), std::string::npos) << lines[2];
  // ... and its row and the exit status say it was damaged.
  EXPECT_EQ(damaged.status, 3);
  // The good file has no warning: its tenth cell (the last before the statistics) is empty.
  const auto cell = [](const std::string& line, int n) {
    std::size_t from = 0;
    for (int i = 0; i < n; ++i) from = line.find(',', from) + 1;
    return line.substr(from, line.find(',', from) - from);
  };
  EXPECT_EQ(cell(lines[1], 9), "") << lines[1];
  EXPECT_NE(lines[2].find("damaged: "), std::string::npos) << lines[2];
  EXPECT_NE(damaged.err.find("mirvo-cli report: " + truncated + ": warning: the file ends early"), std::string::npos)
      << damaged.err;
}

TEST_F(CliFilesTest, DamagedFilesLoadWhatTheyHoldAndSayWhatIsMissing) {
  const std::string whole = ReadWhole(path);
  const struct {
    const char* name;
    std::string content;
    const char* warning;
  } cases[] = {
      {"empty.mps", "", "the file is empty"},
      {"truncated.mps", whole.substr(0, whole.size() / 2), "the file ends early"},
      {"short.mps", whole.substr(0, whole.find("<data>") + 400), "spectrum S0 holds"},
      {"no-registers.mps",
       whole.substr(0, whole.find("<registers>")) + whole.substr(whole.find("</registers>") + 13),
       "the register section is missing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string damagedPath = Scratch(c.name);
    WriteWhole(damagedPath, c.content);
    const RunResult info = Cli({"info", damagedPath});
    EXPECT_EQ(info.status, 3) << info.err;
    EXPECT_FALSE(info.out.empty());  // what could be read is still shown
    EXPECT_NE(info.err.find("mirvo-cli info: " + damagedPath + ": warning: " + c.warning), std::string::npos)
        << info.err;
  }
  // A whole file has nothing to warn of.
  const RunResult good = Cli({"info", path});
  EXPECT_EQ(good.status, 0);
  EXPECT_EQ(good.err.find("warning"), std::string::npos) << good.err;
}

}  // namespace
}  // namespace mirvo::test
