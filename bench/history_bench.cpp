// The history of a long measurement: the memory it holds after a simulated 7-day run at the usual
// cadence (a status read every 100 ms, a tick every 200 ms), and the CPU it adds per status read and
// per tick (the tick analyses a 160-channel ROI of S1 and the two FOM ranges of S0).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cmath>
#include <cstdio>

#include "display/SpectrumPlot.h"
#include "monitor/HistoryRecorder.h"

namespace mirvo {
namespace {

struct BenchHost final : IAcquisitionHost {
  SpectrumRecord record;
  SpectrumRecord& LiveRecord() override { return record; }
  const SpectrumRecord* SettingsRecord() override { return &record; }
  double SamplePeriodUs() const override { return 0.008; }
  void AddLine(const std::string&) override {}
};

struct StepClock final : IClock {
  std::int64_t ms = 1'800'000'000'000;
  std::int64_t UtcMilliseconds() const override { return ms; }
  CivilTime LocalTime() const override { return CivilFromUtcMilliseconds(ms); }
  int UtcOffsetSeconds() const override { return 0; }
};

HistoryStatus StatusAt(double seconds) {
  HistoryStatus s;
  s.running = true;
  s.realSeconds = seconds;
  s.liveSeconds = seconds * 0.93;
  s.incomingRate = 20000 + std::fmod(seconds * 7.3, 50.0);
  s.throughputRate = s.incomingRate * 0.85;
  s.deadPercent = 7.0;
  s.temperature = 27 + 12 * (1 - std::exp(-seconds / 600));
  return s;
}

// S1 with a Gaussian peak at 993 under a ROI and the cursor; S0 with two humps and FOM ranges.
struct Plots {
  SpectrumPlot s1{1, true};
  SpectrumPlot s0{0, true};
  Plots() {
    for (int c = 0; c < 4096; ++c) {
      s1.Record().hardCounts[c] = static_cast<std::uint32_t>(50 + 5000 * std::exp(-std::pow((c - 993) / 30.0, 2) / 2));
      s0.Record().hardCounts[c] = static_cast<std::uint32_t>(9000 * std::exp(-std::pow((c - 1000) / 80.0, 2) / 2) +
                                                             3000 * std::exp(-std::pow((c - 1600) / 90.0, 2) / 2));
    }
    s1.RebuildSoftSpectrum();
    s0.RebuildSoftSpectrum();
    for (int c = 913; c <= 1072; ++c) s1.SetChannelRoi(c, true);
    s1.SetCursorChannel(993);
    CalibrationRecord& stored = s0.Record().stored;
    stored.fomPeak1First = 800;
    stored.fomPeak1Last = 1200;
    stored.fomPeak2First = 1400;
    stored.fomPeak2Last = 1800;
  }
};

// Bytes allocated: small blocks and the large ones malloc maps on their own.
std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

void ReportSevenDays() {
  const std::size_t heapBefore = HeapInUse();
  BenchHost host;
  StepClock clock;
  auto recorder = std::make_unique<HistoryRecorder>(host, clock);
  const HistoryPeak peak{993.0, 70.0, 1100.0, 1.5};
  const std::int64_t steps = 7LL * 86400 * 10;  // 100 ms each
  for (std::int64_t i = 0; i < steps; ++i) {
    clock.ms += 100;
    recorder->OnStatus(StatusAt(static_cast<double>(i) / 10));
    if (i % 2 == 1) recorder->OnPeak(peak);
  }
  const std::size_t heapAfter = HeapInUse();
  const HistoryBuffer& run = recorder->Run();
  std::printf("7-day run: %llu samples, %zu buckets held (%zu recent + merged of %.0f s each)\n",
              static_cast<unsigned long long>(run.SamplesAdded()), run.Size(), run.BufferLimits().recentSamples,
              run.BucketSeconds());
  std::printf("memory of the history: %.2f MB counted, %.2f MB heap in use (goal: under 10 MB)\n",
              (run.MemoryBytes() + recorder->Series().MemoryBytes()) / 1e6,
              static_cast<double>(heapAfter - heapBefore) / 1e6);
}

void BM_StatusSample(benchmark::State& state) {
  BenchHost host;
  StepClock clock;
  HistoryRecorder recorder(host, clock);
  double t = 0;
  for (auto _ : state) {
    clock.ms += 100;
    t += 0.1;
    recorder.OnStatus(StatusAt(t));
  }
  benchmark::DoNotOptimize(recorder.Run().Size());
}
BENCHMARK(BM_StatusSample);

void BM_Tick(benchmark::State& state) {
  BenchHost host;
  StepClock clock;
  HistoryRecorder recorder(host, clock);
  Plots plots;
  recorder.OnStatus(StatusAt(1));
  for (auto _ : state) {
    clock.ms += 200;
    recorder.OnTick(plots.s1, plots.s0);
  }
  benchmark::DoNotOptimize(recorder.Run().Size());
}
BENCHMARK(BM_Tick);

// The tick's analysis alone, to tell it from the storing.
void BM_TickAnalysisOnly(benchmark::State& state) {
  Plots plots;
  for (auto _ : state) benchmark::DoNotOptimize(PeakFromPlots(plots.s1, plots.s0, 100.0));
}
BENCHMARK(BM_TickAnalysisOnly);

}  // namespace
}  // namespace mirvo

int main(int argc, char** argv) {
  mirvo::ReportSevenDays();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
