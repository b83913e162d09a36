// mirvo-cli analyse and report with --background: a background of the same source measured for
// twice the live time is scaled by half and leaves a net area of about zero; a background of
// another hard size or one that cannot be opened is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "CliRig.h"
#include "FileTestSupport.h"
#include "files/LoadedSpectrumFile.h"

namespace mirvo::test {
namespace {

class CliStatisticsTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    kvetral::SimOptions options;
    options.rate = 20000;
    options.source = "cs137+background";
    options.serial = 322;
    StartSimulator(options);
    measurement = Scratch("measurement.mps");
    background = Scratch("background.mps");
    ASSERT_NO_FATAL_FAILURE(Acquire(measurement, 2));
    ASSERT_NO_FATAL_FAILURE(Acquire(background, 4));
  }
  // The key=value fields of one analyse line.
  static std::map<std::string, std::string> Fields(const std::string& line) {
    const std::string text = line.substr(0, line.find('\n'));
    return FieldsOf(text);
  }
  static std::map<std::string, std::string> FieldsOf(const std::string& line) {
    std::map<std::string, std::string> fields;
    std::size_t at = 0;
    while (at < line.size()) {
      const std::size_t end = std::min(line.find(' ', at), line.size());
      const std::string word = line.substr(at, end - at);
      if (const auto eq = word.find('='); eq != std::string::npos) fields[word.substr(0, eq)] = word.substr(eq + 1);
      at = end + 1;
    }
    return fields;
  }
  std::string measurement;
  std::string background;
};

TEST_F(CliStatisticsTest, AnalyseSubtractsABackgroundOfTwiceTheLiveTime) {
  // The Cs-137 photopeak near hard channel 993.
  const RunResult plain = Cli({"analyse", measurement, "--spectrum", "1", "--roi", "930:1060"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  auto f = Fields(plain.out);
  EXPECT_EQ(f.count("net_area"), 0u) << plain.out;
  EXPECT_EQ(std::stod(f["integral_sigma"]), std::round(std::sqrt(std::stod(f["integral"])))) << plain.out;
  EXPECT_EQ(f["above_lc"], "1");
  EXPECT_EQ(f["fit_flags"], "ok") << plain.out;
  // The line at 662 keV, 1.5 channels a keV, 6 % FWHM: the fit finds the whole width, which the FWHM
  // field, taken from the channels around the highest one, may miss on a noisy peak.
  EXPECT_NEAR(std::stod(f["fit_centroid"]), 661.7 * 1.5, 5.0) << plain.out;
  EXPECT_NEAR(std::stod(f["fit_fwhm"]), 0.06 * 661.7 * 1.5, 6.0) << plain.out;

  const RunResult net = Cli({"analyse", measurement, "--spectrum", "1", "--roi", "930:1060", "--background", background});
  ASSERT_EQ(net.status, 0) << net.err;
  // The peak fields and the statistics without the background are unchanged by it.
  EXPECT_EQ(net.out.substr(0, net.out.find(" net_area=")), plain.out.substr(0, plain.out.find(" centroid_sigma=")));
  f = Fields(net.out);
  LoadedSpectrumFile m, b;
  ASSERT_TRUE(m.Load(measurement).Ok());
  ASSERT_TRUE(b.Load(background).Ok());
  const double scale = m.Times().liveSeconds / b.Times().liveSeconds;
  EXPECT_NEAR(scale, 0.5, 0.05);
  EXPECT_NEAR(std::stod(f["background_scale"]), scale, 1e-5);
  // The same source: what is left is noise.
  const double netArea = std::stod(f["net_area"]);
  const double netSigma = std::stod(f["net_area_sigma"]);
  EXPECT_GT(netSigma, std::stod(f["area_sigma"]));
  EXPECT_LT(std::fabs(netArea), 3.5 * netSigma) << net.out;
  EXPECT_EQ(f["above_lc"], netArea > std::stod(f["lc"]) ? "1" : "0");
}

TEST_F(CliStatisticsTest, ReportAddsNetColumnsAndRefusesUnfitBackgrounds) {
  const RunResult run = Cli({"report", measurement, measurement, "--spectrum", "1", "--roi", "930:1060", "--background", background});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = SplitLines(run.out);
  ASSERT_EQ(lines.size(), 3u) << run.out;
  EXPECT_NE(lines[0].find(",Warning,Integral Sigma,Area Sigma,Net Area,Net Area Sigma,Background Scale,Centroid Sigma,"),
            std::string::npos)
      << lines[0];

  // A background of 1024 channels for a spectrum of 4096: refused with the reason, nothing printed.
  const std::string small = Scratch("small.spe");
  std::string spe = "$SPEC_ID:\nroom\n$MEAS_TIM:\n90 100\n$DATA:\n0 1023\n";
  for (int i = 0; i < 1024; ++i) spe += "5\n";
  WriteWhole(small, spe);
  const RunResult refused = Cli({"analyse", measurement, "--spectrum", "1", "--roi", "930:1060", "--background", small});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.out.empty()) << refused.out;
  EXPECT_EQ(refused.err, "mirvo-cli analyse: " + small +
                             ": The background has 1024 channels and the spectrum 4096: a background must have the "
                             "same number of channels as the spectrum.\n");
  // In a report the file's net cells are empty and the status says it.
  const RunResult report = Cli({"report", measurement, "--spectrum", "1", "--roi", "930:1060", "--background", small});
  EXPECT_EQ(report.status, 2);
  EXPECT_NE(report.err.find("a background must have the same number of channels"), std::string::npos) << report.err;

  const std::string missing = Scratch("missing.mps");
  const RunResult absent = Cli({"analyse", measurement, "--spectrum", "1", "--roi", "930:1060", "--background", missing});
  EXPECT_EQ(absent.status, 2);
  EXPECT_EQ(absent.err, "mirvo-cli analyse: " + missing + ": Unable to Open File\n");
  EXPECT_TRUE(absent.out.empty());

  // The report's output may not replace the background.
  const RunResult same = Cli({"report", measurement, "--spectrum", "1", "--roi", "930:1060", "--background", background,
                              "-o", background});
  EXPECT_EQ(same.status, 1);
  EXPECT_NE(same.err.find("is the input"), std::string::npos) << same.err;
}

}  // namespace
}  // namespace mirvo::test
