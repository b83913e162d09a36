// The painting share of the 200 ms timer tick on the offscreen platform: four 4096-channel panes
// whose spectra grow, each redrawn partially; a full redraw; a cursor step.
#include <QApplication>
#include <QMainWindow>
#include <benchmark/benchmark.h>
#include <memory>

#include "display/RecordSets.h"
#include "display/SampleSpectrum.h"
#include "display/gui/CSpectrum.h"
#include "display/gui/CSpectrumWnd.h"
#include "protocol/RegisterImage.h"

namespace mirvo {
namespace {

// Four panes, two a row, in a window of a 1920 x 1080 screen, showing Cs-137-like spectra.
struct PaneFixture {
  PaneFixture() {
    for (int k = 0; k < 4; ++k) FillSampleSpectrum(memory->Spectrum(static_cast<std::size_t>(k)), 4096);
    window.setCentralWidget(new QWidget(&window));
    for (int k = 0; k < 4; ++k) {
      panes[static_cast<std::size_t>(k)] = new CSpectrumWnd(sets, k, &window);
      window.addDockWidget(k < 2 ? Qt::TopDockWidgetArea : Qt::BottomDockWidgetArea, panes[static_cast<std::size_t>(k)]);
      sets.BufferPlot(k).SetLinearScaleIndex(12);
    }
    window.resize(1920, 1000);
    window.show();
    QCoreApplication::processEvents();
  }
  void Tick() {
    for (CSpectrumWnd* pane : panes) pane->Tick();
    QCoreApplication::processEvents();  // the paint events
  }
  std::unique_ptr<SpectrumMemory> memory = std::make_unique<SpectrumMemory>();
  RecordSets sets{*memory};
  QMainWindow window;
  std::array<CSpectrumWnd*, 4> panes{};
};

// Every fifth channel of every spectrum gains counts between ticks, as during an acquisition.
void BM_TickFourGrowingPanes(benchmark::State& state) {
  PaneFixture fixture;
  for (auto _ : state) {
    for (std::size_t k = 0; k < 4; ++k)
      for (int ch = 0; ch < 4096; ch += 5) fixture.memory->Spectrum(k)[ch] += 1 + (ch & 3);
    fixture.Tick();
  }
}
BENCHMARK(BM_TickFourGrowingPanes)->Unit(benchmark::kMicrosecond);

void BM_TickFourUnchangedPanes(benchmark::State& state) {
  PaneFixture fixture;
  for (auto _ : state) fixture.Tick();
}
BENCHMARK(BM_TickFourUnchangedPanes)->Unit(benchmark::kMicrosecond);

void BM_FullRedrawOnePane(benchmark::State& state) {
  PaneFixture fixture;
  for (auto _ : state) {
    fixture.panes[1]->Tick(RedrawKind::Full);
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_FullRedrawOnePane)->Unit(benchmark::kMicrosecond);

void BM_CursorStep(benchmark::State& state) {
  PaneFixture fixture;
  CSpectrum& widget = *fixture.panes[1]->PlotWidget(kBufferSet);
  SpectrumPlot& plot = widget.Plot();
  int step = 1;
  for (auto _ : state) {
    if (plot.Cursor() >= 4000 || plot.Cursor() <= 100) step = -step;
    plot.MoveCursor(plot.Cursor() + 5 * step);
    widget.Redraw();
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_CursorStep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mirvo

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
