// Settings by name as mirvo-cli config reaches them: the parsing helpers, and the acquisition
// panel's settings going through its handlers (value shown back, refusals with a reason).
#include <gtest/gtest.h>

#include <algorithm>

#include "FakeClock.h"
#include "ScriptedDialogs.h"
#include "acquisition/AcquisitionSettings.h"
#include "shell/HeadlessHost.h"

namespace mirvo {
namespace {

TEST(NamedSetting, ParsingHelpers) {
  long long value = 0;
  EXPECT_TRUE(ParseWholeNumber("120", 0, 200, value));
  EXPECT_EQ(value, 120);
  for (const char* bad : {"", "12a", "-1", "201", " 5", "1.5"}) EXPECT_FALSE(ParseWholeNumber(bad, 0, 200, value)) << bad;
  bool on = false;
  EXPECT_TRUE(ParseOnOff("ON", on));
  EXPECT_TRUE(on);
  EXPECT_TRUE(ParseOnOff("0", on));
  EXPECT_FALSE(on);
  EXPECT_FALSE(ParseOnOff("yes", on));
  EXPECT_EQ(WordIndex("Window-Coinc", {"disabled", "direct", "window-coinc"}), 2);
  EXPECT_EQ(WordIndex("window", {"disabled", "direct", "window-coinc"}), -1);
}

class AcquisitionSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { panel.Initialise(); }
  NamedSetting& Setting(const std::string& name) {
    const auto it = std::find_if(settings.begin(), settings.end(), [&](const NamedSetting& s) { return s.name == name; });
    EXPECT_NE(it, settings.end()) << name;
    return *it;
  }
  bool Set(const std::string& name, const std::string& text) {
    std::string error;
    return Setting(name).set(text, error);
  }

  test::FakeClock clock;
  test::FakeSleeper sleeper{&clock};
  test::ScriptedDialogs dialogs;
  HeadlessHost host{clock};
  AcquisitionPanel panel{host, {host.startTime, dialogs, clock, sleeper}, dialogs, dialogs};
  std::vector<NamedSetting> settings = AcquisitionSettings(panel);
};

TEST_F(AcquisitionSettingsTest, ValuesGoThroughThePanelAndShowBack) {
  struct Case {
    const char* name;
    const char* text;
    bool accepted;
    const char* shown;
  };
  const Case cases[] = {
      {"preset.kind", "LIVE", true, "live"},
      {"preset.kind", "dead", false, "live"},
      {"preset", "3600", true, "3600"},
      {"preset", "21474837", false, "3600"},  // does not fit the register pair: the preset stays
      {"pulser", "on", true, "on"},
      {"coincidence", "window-anticoinc", true, "window-anticoinc"},
      {"coincidence.win-width", "5000", false, "1 = 0.0080 us"},
      {"coincidence.win-width", "100", true, "100 = 0.8000 us"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Set(c.name, c.text), c.accepted) << c.name << "=" << c.text;
    EXPECT_EQ(Setting(c.name).value(), c.shown) << c.name << "=" << c.text;
  }
  EXPECT_EQ(panel.PresetSeconds(), 3600);
  EXPECT_EQ(panel.PresetKindIndex(), 1);
  EXPECT_EQ(panel.CoincidenceListIndex(), 3);
  EXPECT_EQ(panel.WinWidth(), 100);
}

TEST_F(AcquisitionSettingsTest, ARefusalSaysWhatIsAccepted) {
  std::string error;
  EXPECT_FALSE(Setting("coincidence").set("both", error));
  EXPECT_EQ(error, "disabled|direct|window-coinc|window-anticoinc");
  EXPECT_FALSE(Setting("preset").set("ten", error));
  EXPECT_EQ(error, kPresetTooLongText);
}

}  // namespace
}  // namespace mirvo
