// One full register-refresh chain in the core, as after every status read: the acquisition,
// pulse-shape and shaper panels refresh from the settings record (the amplifier panel joins the
// chain when it exists). Each round the instrument reports changed times, counters, thresholds and
// windows, so the change paths run as well.
#include <benchmark/benchmark.h>

#include "acquisition/AcquisitionPanel.h"
#include "acquisition/LinkLifecycle.h"
#include "panels/PanelHost.h"
#include "panels/PulseShapePanel.h"
#include "panels/ShaperPanel.h"
#include "shell/HeadlessHost.h"

namespace mirvo {
namespace {

struct QuietDialogs final : IUserDialog, IFolderChooser, IStartTimeKindDialog {
  void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
  bool AskOkCancel(const std::string&, const std::string&, MessageIcon) override { return true; }
  bool ChooseFolder(const std::string&, const std::string&, std::string&) override { return false; }
  StartTimeKindChoice RunModal() override { return {StartTimeKind::System, 0.0}; }
};

struct NoSleep final : ISleeper {
  void SleepMilliseconds(int) override {}
};

void BM_RegisterRefreshChain(benchmark::State& state) {
  auto host = std::make_unique<HeadlessHost>();
  NoSleep sleeper;
  auto connection = std::make_unique<HeadlessConnection>(*host, sleeper);
  QuietDialogs dialogs;
  AcquisitionPanel acquisition(*host, {host->startTime, dialogs, DefaultClock(), sleeper}, dialogs, dialogs);
  BufferSetPanelHost panelHost(host->buffers);
  SamplePeriod period;
  ShaperPanel shaper(panelHost, period, dialogs);
  PulseShapePanel psd(panelHost, dialogs);
  acquisition.Attach(connection->lifecycle);
  psd.Attach(connection->lifecycle);
  shaper.Attach(connection->lifecycle);
  acquisition.Initialise();
  psd.Initialise();
  shaper.Initialise();
  shaper.CommitChange(false);  // the power-up shaper image
  psd.RefreshFromRecord();
  psd.OnTyped(3, PulseShapePanel::End::kFrom, 1400);
  RegisterImage& image = host->record.registers;
  image[0x0F] = 2u << 2;
  std::uint16_t round = 0;
  for (auto _ : state) {
    ++round;
    image[0x38] = round;                                         // real time
    image[0x3A] = round;                                         // live time
    image[0x2C] = static_cast<std::uint16_t>(1000 + (round & 7));  // rate counters
    image[0x30] = static_cast<std::uint16_t>(19200 + (round & 1) * 2400);  // slow estimate
    image[0x22] = static_cast<std::uint16_t>((round & 1) ? 24000 : 0xFFFF);  // a threshold toggles
    image[0x23] = static_cast<std::uint16_t>((round & 1) ? 0 : 0xFFFF);
    image[0x6B] = static_cast<std::uint16_t>(1400 + (round & 3));  // a window moves
    connection->lifecycle.RefreshChain().RefreshAll();
    benchmark::DoNotOptimize(shaper.ThresholdSlow());
    benchmark::DoNotOptimize(psd.From(3));
  }
}
BENCHMARK(BM_RegisterRefreshChain)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mirvo

BENCHMARK_MAIN();
