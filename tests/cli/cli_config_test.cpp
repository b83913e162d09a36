// mirvo-cli config against the simulator: settings by name reach the instrument through the panels
// and are read back; names are checked before anything is sent; bad values say what is accepted.
#include <gtest/gtest.h>

#include "CliRig.h"
#include "protocol/RegisterImage.h"

namespace mirvo::test {
namespace {

using CliConfigTest = CliTest;

// The line of `name` in a --show listing ("" when absent).
std::string SettingLine(const std::string& out, const std::string& name) {
  for (const std::string& line : OutputLines(out))
    if (line.rfind(name + " ", 0) == 0) return line;
  return "";
}

TEST_F(CliConfigTest, SettingsReachTheInstrumentAndAreReadBack) {
  StartSimulator();
  const RunResult set = Cli({"config", Sim().DevicePath(), "--set", "preset.kind=live", "--set", "preset=120",
                             "--set", "coincidence=direct", "--set", "gain.fine=1.1", "--show"});
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_NE(SettingLine(set.out, "preset").find("120 s"), std::string::npos) << set.out;
  EXPECT_NE(SettingLine(set.out, "preset.kind").find("live"), std::string::npos) << set.out;
  EXPECT_EQ(Sim().Register(reg::kPresetReal), 12000);  // hundredths of a second
  EXPECT_TRUE(Sim().Register(reg::kControlWord) & cw::kLivePreset);

  // A new session shows what the instrument holds.
  const RunResult show = Cli({"config", Sim().DevicePath()});
  ASSERT_EQ(show.status, 0) << show.err;
  EXPECT_NE(SettingLine(show.out, "preset").find("120 s"), std::string::npos) << show.out;
  EXPECT_NE(SettingLine(show.out, "coincidence").find("direct"), std::string::npos) << show.out;
  EXPECT_NE(SettingLine(show.out, "gain.fine").find("1.1"), std::string::npos) << show.out;
  EXPECT_FALSE(SettingLine(show.out, "shaper.slow.rise").empty()) << show.out;
  EXPECT_FALSE(SettingLine(show.out, "psd.s3").empty()) << show.out;
}

TEST_F(CliConfigTest, BadNamesAndValuesAreRefused) {
  StartSimulator();
  struct Case {
    std::vector<std::string> args;
    const char* message;
    bool sendsNothing;
  };
  const std::string port = Sim().DevicePath();
  const Case cases[] = {
      {{"config", port, "--set", "nosuch=1"}, "no setting 'nosuch'", true},
      {{"config", port, "--set", "preset"}, "--set: needs NAME=VALUE", true},
      {{"config"}, "Usage: mirvo-cli config PORT", true},
      {{"config", port, "--set", "preset=ten"}, "bad value 'ten' for preset", false},
      {{"config", port, "--set", "coincidence=both"}, "disabled|direct|window-coinc|window-anticoinc", false},
  };
  for (const Case& c : cases) {
    const std::uint64_t before = Sim().RequestsReceived();
    const RunResult run = Cli(c.args);
    EXPECT_EQ(run.status, 1) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    if (c.sendsNothing) {
      EXPECT_EQ(Sim().RequestsReceived(), before) << c.message;
    }
  }
  EXPECT_EQ(Sim().Register(reg::kPresetReal), 0);  // nothing was changed
}

}  // namespace
}  // namespace mirvo::test
