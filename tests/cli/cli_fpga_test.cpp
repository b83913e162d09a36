// mirvo-cli fpga against the simulator: the dialog's lines, the progress line once per tenth when
// not on a terminal, and the exit status of each ending.
#include <gtest/gtest.h>

#include "CliRig.h"
#include "FpgaFixtures.h"

namespace mirvo::test {
namespace {

using CliFpgaTest = CliTest;

TEST_F(CliFpgaTest, UploadVerifyConfigureAndTheirExitStatus) {
  StartSimulator();
  const auto data = PatternData(20000);
  WriteBytes(Scratch("d.mbf"), MakeMbf(data));
  auto changed = data;
  changed[100] ^= 0xFF;
  WriteBytes(Scratch("changed.mbf"), MakeMbf(changed));
  WriteBytes(Scratch("bad.mbf"), MakeMbf(data, 0, 210, 0x5350));
  const std::string port = Sim().DevicePath();

  const RunResult upload = Cli({"fpga", port, "upload", Scratch("d.mbf")});
  EXPECT_EQ(upload.status, 0) << upload.err;
  const auto lines = OutputLines(upload.out);
  ASSERT_GE(lines.size(), 5u) << upload.out;
  EXPECT_EQ(lines[0], "Open File: " + Scratch("d.mbf"));
  EXPECT_EQ(lines[1], "Uploading...");
  EXPECT_TRUE(HasLine(upload.out, "2048 of 20016 bytes (10 %)")) << upload.out;
  EXPECT_TRUE(HasLine(upload.out, "20016 of 20016 bytes (100 %)")) << upload.out;
  EXPECT_EQ(lines.size(), 2u + 10u + 3u) << upload.out;  // one progress line per tenth
  EXPECT_EQ(lines.back(), std::string(38, '*'));
  EXPECT_TRUE(HasLine(upload.out, "20480 Bytes Uploaded"));
  EXPECT_EQ(Sim().Flash(0, data.size()), data);

  const struct {
    std::vector<std::string> args;
    int status;
    std::string line;  // on stdout, or on stderr for a box
  } cases[] = {
      {{"verify", Scratch("d.mbf")}, 0, "Verifyed 20480 bytes...0 Errors Found!"},
      {{"verify", Scratch("changed.mbf")}, 2, "Verifyed 20480 bytes...1 Errors Found!"},
      {{"configure"}, 0, "FPGA Configured!"},
      {{"upload", Scratch("missing.mbf")}, 2, "FILE ERROR: The file could not be located."},
      {{"verify", Scratch("bad.mbf")}, 2, "Invalid or corrupted file!"},
      {{"erase", Scratch("d.mbf")}, 1, "Usage: mirvo-cli fpga PORT upload|verify|configure [FILE] [--baud B]"},
      {{"upload"}, 1, "Usage: mirvo-cli fpga PORT upload|verify|configure [FILE] [--baud B]"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"fpga", port};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult run = Cli(args);
    EXPECT_EQ(run.status, c.status) << c.args[0] << run.out << run.err;
    EXPECT_TRUE(HasLine(run.out, c.line) || HasLine(run.err, c.line)) << c.line << "\n" << run.out << run.err;
  }
  EXPECT_EQ(Sim().Configurations(), 1u);
}

}  // namespace
}  // namespace mirvo::test
