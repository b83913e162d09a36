// The port finder over a given port list: simulated instruments answer with their serial numbers,
// a pseudo-terminal nobody serves stays silent, a missing device cannot be opened. Its 300 ms timer
// fires only once the probed line has nothing more to say, so no test waits for a time-out.
#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "FakeClock.h"
#include "LinkDoubles.h"
#include "PtyPair.h"
#include "lib/Simulator.h"
#include "acquisition/PortFinder.h"
#include "shell/EventLoop.h"

namespace mirvo {
namespace {


class PortFinderTest : public ::testing::Test, public IPortFinderHost {
 protected:
  void SetUp() override {
    loop.SetMessageHandler([this](unsigned, std::uintptr_t wParam, std::intptr_t) { finder.OnSerialEvent(wParam); });
  }

  kvetral::Simulator& AddSimulator(std::uint16_t serial) {
    kvetral::SimOptions options;
    options.serial = serial;
    sims.push_back(std::make_unique<kvetral::Simulator>(options));
    EXPECT_TRUE(sims.back()->Start());
    const std::string name = "ttyKV" + std::to_string(serial);
    ports.push_back({sims.back()->DevicePath(), name, "Kvetral simulator (" + name + ")", "Kvetral simulator", false});
    return *sims.back();
  }
  void AddSilentPort() {
    silent.push_back(std::make_unique<test::PtyPair>());
    silentDevices.insert(silent.back()->SlavePath());
    ports.push_back({silent.back()->SlavePath(), "pts", "USB Serial Adapter (pts)", "USB Serial Adapter", true});
  }
  void AddMissingPort() { ports.push_back({"/nonexistent/ttyUSB9", "ttyUSB9", "Gone (ttyUSB9)", "Gone", true}); }

  // --- IPortFinderHost
  std::vector<PortListEntry> Ports() override { return ports; }
  bool StartTickTimer(int periodMs) override {
    timerPeriod = periodMs;
    return true;
  }
  void StopTickTimer() override { timerPeriod = 0; }
  void ProcessPendingMessages() override { loop.ProcessPendingMessages(); }
  void PumpUntil(const std::function<bool()>& done) override {
    const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
      // An answering line: let its reply arrive first. A silent one: its ticks come at once.
      if (lifecycle.Link().Busy() && silentDevices.count(lifecycle.DeviceName()) == 0 &&
          std::chrono::steady_clock::now() < guard) {
        loop.RunUntil([&] { return !lifecycle.Link().Busy() || std::chrono::steady_clock::now() > guard; });
        continue;
      }
      loop.ProcessPendingMessages();
      if (timerPeriod > 0) finder.OnTick();
    }
  }
  std::uint16_t SerialNumber() override { return host.status.serialnumber; }

  bool Logged(const std::string& line) const {
    return std::find(host.lines.begin(), host.lines.end(), line) != host.lines.end();
  }

  test::RecordingLinkHost host;
  EventLoop loop;
  test::FakeSleeper sleeper;
  test::RecordedLifecycle lifecycle{host, loop, sleeper};
  PortFinder finder{lifecycle, *this, loop, sleeper};
  std::vector<std::unique_ptr<kvetral::Simulator>> sims;
  std::vector<std::unique_ptr<test::PtyPair>> silent;
  std::set<std::string> silentDevices;
  std::vector<PortListEntry> ports;
  int timerPeriod = 0;
};

TEST_F(PortFinderTest, NoInstrumentLeavesTheDialogOpenWithItsText) {
  AddMissingPort();
  AddSilentPort();
  finder.Find();
  EXPECT_EQ(finder.FoundCounter(), -1);
  EXPECT_TRUE(finder.Found().empty());
  EXPECT_FALSE(finder.Accepted());
  EXPECT_EQ(finder.StatusText(), "No Mirvo devices were found... Please, reconnect the device and press FIND.");
  EXPECT_TRUE(finder.OkEnabled());
  EXPECT_TRUE(finder.FindEnabled());
  const std::string missing = "/nonexistent/ttyUSB9: no such device (unplugged, or another port name)";
  EXPECT_EQ(host.lines, (std::vector<std::string>{"Find Timer Started", "Searching...", "Unable to open: ttyUSB9",
                                                  missing, "Searching...", "Trying: pts", "Find Timer Stopped"}));
  EXPECT_EQ(finder.Unopened(), std::vector<std::string>{missing});
  EXPECT_EQ(timerPeriod, 0);
  EXPECT_EQ(sleeper.sleeps, std::vector<int>{2000});
  // The finder leaves the link closed and idle.
  EXPECT_FALSE(lifecycle.Link().Connected());
  EXPECT_FALSE(lifecycle.Link().Busy());
  EXPECT_FALSE(lifecycle.Link().Port().IsOpen());
  EXPECT_FALSE(lifecycle.PortInUse());
}

TEST_F(PortFinderTest, AnInstrumentWhosePortIsBusyIsReportedAsNotProbed) {
  kvetral::Simulator& sim = AddSimulator(14);
  CSerial other;  // another program holds the instrument's port
  ASSERT_EQ(other.Open(sim.DevicePath()), serial_error::kSuccess);
  finder.Find();
  EXPECT_TRUE(finder.Found().empty());
  EXPECT_EQ(finder.Unopened(), std::vector<std::string>{sim.DevicePath() + ": the port is in use by another program"});
}

TEST_F(PortFinderTest, ExactlyOneInstrumentIsChosenAndAutoConnectConnectsAt921600) {
  AddSilentPort();
  kvetral::Simulator& sim = AddSimulator(12);
  lifecycle.SetBaudRate(460800);
  PrepareAutoConnect(lifecycle);
  finder.Find();
  EXPECT_EQ(finder.FoundCounter(), 0);
  ASSERT_TRUE(finder.Accepted());  // closed by itself, as if OK had been pressed
  EXPECT_EQ(finder.ChosenDevice(), sim.DevicePath());
  EXPECT_TRUE(Logged("Found: ttyKV12 -> SN: 00012"));
  EXPECT_FALSE(lifecycle.AutoUpdateBox().AutoUpdate());

  ASSERT_TRUE(ConnectChosenPort(lifecycle, finder.ChosenDevice()));
  EXPECT_EQ(lifecycle.BaudRate(), 921600u);
  EXPECT_TRUE(Logged(sim.DevicePath()));
  EXPECT_TRUE(Logged("Connected to: " + sim.DevicePath()));
  lifecycle.DisconnectHardware();
}

TEST_F(PortFinderTest, TwoInstrumentsAreListedForTheUserToChoose) {
  kvetral::Simulator& first = AddSimulator(3);
  AddSilentPort();
  kvetral::Simulator& second = AddSimulator(40001);
  finder.Find();
  EXPECT_EQ(finder.FoundCounter(), 1);
  ASSERT_EQ(finder.Found().size(), 2u);
  EXPECT_EQ(finder.Found()[0].text, "Kvetral simulator (ttyKV3) -> SN: 00003");
  EXPECT_EQ(finder.Found()[1].text, "Kvetral simulator (ttyKV40001) -> SN: 40001");
  EXPECT_EQ(finder.Selected(), 0);
  EXPECT_FALSE(finder.Accepted());
  EXPECT_EQ(finder.StatusText(), "Found multiple Mirvo devices... Please, select port and press OK.");

  finder.Select(1);
  ASSERT_TRUE(finder.Accept());
  EXPECT_EQ(finder.ChosenDevice(), second.DevicePath());
  finder.Select(0);
  ASSERT_TRUE(finder.Accept());
  EXPECT_EQ(finder.ChosenDevice(), first.DevicePath());
}

TEST_F(PortFinderTest, APortThatOpensButAnswersNothingIsClosedAndNotListed) {
  AddSilentPort();
  kvetral::Simulator& sim = AddSimulator(5);
  sim.SetSilent(true);
  silentDevices.insert(sim.DevicePath());
  finder.Find();
  EXPECT_TRUE(finder.Found().empty());
  EXPECT_TRUE(Logged("Trying: ttyKV5"));
  EXPECT_FALSE(Logged("Found: ttyKV5 -> SN: 00005"));
  EXPECT_FALSE(lifecycle.Link().Port().IsOpen());
  // A second FIND starts afresh.
  sim.SetSilent(false);
  silentDevices.erase(sim.DevicePath());
  finder.Find();
  ASSERT_EQ(finder.Found().size(), 1u);
  EXPECT_TRUE(finder.Accepted());
}

}  // namespace
}  // namespace mirvo
