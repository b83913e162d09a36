// The history against the simulator: a running acquisition leaves samples of its rates, and a
// logged series one point per run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "AcquisitionRig.h"
#include "monitor/HistoryRecorder.h"

namespace mirvo {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kIncoming = Index(HistoryQuantity::kIncomingRate);

class HistoryE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("history_e2e_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    kvetral::SimOptions options;
    options.speed = 20;
    options.rate = 5000;
    rig = std::make_unique<test::AcquisitionRig>(options);
    recorder = std::make_unique<HistoryRecorder>(rig->host, rig->stampClock);
    recorder->Attach(rig->lifecycle, &rig->panel);
    ASSERT_TRUE(rig->Connect());
    ASSERT_TRUE(rig->panel.OnPresetTyped(2));
    ASSERT_TRUE(rig->ResetAndWait());
  }
  void TearDown() override {
    recorder.reset();
    rig.reset();
    fs::remove_all(folder);
  }
  fs::path folder;
  std::unique_ptr<test::AcquisitionRig> rig;
  std::unique_ptr<HistoryRecorder> recorder;
};

TEST_F(HistoryE2eTest, ARunningAcquisitionLeavesItsRatesAndNothingAfterItEnds) {
  EXPECT_TRUE(recorder->Run().Empty());
  rig->panel.StartAcquisition();
  ASSERT_TRUE(rig->RunUntil([&] { return rig->panel.RealTime() >= 2.0 && !rig->host.record.registers.Running(); }));
  const std::uint64_t samples = recorder->Run().SamplesAdded();
  EXPECT_GE(samples, 2u);
  double highest = 0;
  for (std::size_t i = 0; i < recorder->Run().Size(); ++i)
    highest = std::max(highest, static_cast<double>(recorder->Run().At(i).stats[kIncoming].max));
  EXPECT_GT(highest, 1000.0);  // the simulator counts about 5000 per second
  ASSERT_TRUE(rig->WaitForStatus());
  EXPECT_EQ(recorder->Run().SamplesAdded(), samples);  // stopped: no more samples
  EXPECT_FALSE(recorder->Recording());
}

TEST_F(HistoryE2eTest, ALoggedSeriesAddsOnePointPerRun) {
  AcquisitionPanel& panel = rig->panel;
  panel.Logger().SetStorageFolder(folder.string());
  panel.OnLoggerBaseEdited("h");
  panel.OnLoggerRunsChanged(3);
  panel.OnLoggerEnableClicked(true);
  ASSERT_TRUE(panel.Logger().Enabled());
  panel.StartAcquisition();
  ASSERT_TRUE(rig->RunUntil([&] { return !panel.Logger().Running(); }));
  ASSERT_TRUE(rig->WaitForStatus());
  ASSERT_EQ(recorder->Series().Size(), 3u);
  for (std::size_t n = 0; n < 3; ++n) {
    EXPECT_EQ(recorder->Series().At(n).firstOrdinal, n + 1);
    EXPECT_GT(recorder->Series().At(n).stats[kIncoming].Mean(), 1000.0) << n;
  }
}

}  // namespace
}  // namespace mirvo
