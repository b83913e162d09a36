// The core work of one 200 ms timer tick: the four shown plots fold their 4096 hard channels into
// soft channels, the information pane analyses the ROI at the cursor (100 channels) and the FOM runs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "display/PeakAnalysis.h"
#include "display/PlotFrame.h"
#include "display/RecordSets.h"
#include "display/SpectrumInfoPanel.h"
#include "protocol/RegisterImage.h"

namespace mirvo {
namespace {

// Two gaussian peaks on a falling background in each of the four spectra.
void FillSpectra(SpectrumMemory& memory) {
  for (std::size_t k = 0; k < SpectrumMemory::kSpectra; ++k) {
    std::uint32_t* counts = memory.Spectrum(k);
    for (int ch = 0; ch < 4096; ++ch) {
      const double background = 2000.0 * std::exp(-ch / 900.0);
      const double peak1 = 50000.0 * std::exp(-0.5 * std::pow((ch - 1050) / 12.0, 2));
      const double peak2 = 30000.0 * std::exp(-0.5 * std::pow((ch - 1300) / 15.0, 2));
      counts[ch] = static_cast<std::uint32_t>(background + peak1 + peak2);
    }
  }
}

struct TickFixture {
  TickFixture() : memory(std::make_unique<SpectrumMemory>()), sets(std::make_unique<RecordSets>(*memory)) {
    FillSpectra(*memory);
    SpectrumPlot& s0 = sets->BufferPlot(0);
    for (int ch = 1000; ch < 1100; ++ch) s0.SetChannelRoi(ch, true);  // the ROI at the cursor: 100 channels
    s0.MoveCursor(1050);
    CalibrationRecord& stored = s0.Record().stored;
    stored.fomPeak1First = 1000;
    stored.fomPeak1Last = 1099;
    stored.fomPeak2First = 1240;
    stored.fomPeak2Last = 1360;
  }
  std::unique_ptr<SpectrumMemory> memory;
  std::unique_ptr<RecordSets> sets;
  SpectrumInfoPanel info;
};

void BM_TimerTick(benchmark::State& state) {
  TickFixture f;
  std::uint32_t* s0Counts = f.memory->Spectrum(0);
  for (auto _ : state) {
    ++s0Counts[1050];  // a growing spectrum: the peak values change every tick
    for (int k = 0; k < 4; ++k) f.sets->ActivePlot(k).RebuildSoftSpectrum();
    benchmark::DoNotOptimize(f.info.UpdatePeakInfo(f.sets->ActivePlot(0)));
    f.info.UpdateFom(f.sets->ActivePlot(0));
    benchmark::DoNotOptimize(f.info.Texts().fom.data());
  }
}
BENCHMARK(BM_TimerTick)->Unit(benchmark::kMicrosecond);

void BM_RebuildSoftSpectrum(benchmark::State& state) {
  TickFixture f;
  SpectrumPlot& plot = f.sets->BufferPlot(1);
  plot.SetSizes(4096, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    plot.RebuildSoftSpectrum();
    benchmark::DoNotOptimize(plot.Record().softCounts[0]);
  }
}
BENCHMARK(BM_RebuildSoftSpectrum)->Arg(4096)->Arg(1365)->Arg(512)->Unit(benchmark::kMicrosecond);

// The pixel-free part of a partial redraw of one 4096-channel plot in an 800 x 500 pane.
void BM_PartialRedrawFrame(benchmark::State& state) {
  TickFixture f;
  SpectrumPlot& plot = f.sets->BufferPlot(0);
  PlotFrame frame;
  PlotColumnBook book;
  const ClientRect client{0, 0, 800, 500};
  for (auto _ : state) {
    BuildPlotFrame(plot, client, frame);
    benchmark::DoNotOptimize(book.Update(frame, false).size());
  }
}
BENCHMARK(BM_PartialRedrawFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mirvo

BENCHMARK_MAIN();
