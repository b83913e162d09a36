// The peak fit of a ROI (both continuum models, as Spectrum Info runs it when the ROI's counts have
// changed) on Gaussians with Poisson noise, for ROIs from 40 to 4096 channels, and the counting
// statistics of the same ROIs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "display/CountingStatistics.h"
#include "display/PeakFit.h"

namespace mirvo {
namespace {

std::vector<std::uint32_t> Spectrum(int roiWidth) {
  std::mt19937 random(5);
  std::vector<std::uint32_t> counts(4096);
  const double centre = 2048.0;
  const double sigma = std::max(2.0, roiWidth / 10.0);
  for (int i = 0; i < 4096; ++i) {
    const double mean = 50.0 + 20000.0 * std::exp(-0.5 * (i - centre) * (i - centre) / (sigma * sigma));
    counts[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(std::poisson_distribution<int>(mean)(random));
  }
  return counts;
}

void BM_PeakFit(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const auto counts = Spectrum(width);
  const int first = std::max(0, 2048 - width / 2);
  const int last = std::min(4095, first + width - 1);
  for (auto _ : state) benchmark::DoNotOptimize(FitPeak(counts.data(), 4096, first, last));
}
BENCHMARK(BM_PeakFit)->Arg(40)->Arg(240)->Arg(1000)->Arg(4096)->Unit(benchmark::kMicrosecond);

void BM_CountingStatistics(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const auto counts = Spectrum(width);
  const int first = std::max(0, 2048 - width / 2);
  const int last = std::min(4095, first + width - 1);
  for (auto _ : state) benchmark::DoNotOptimize(ComputeCountingStatistics(counts.data(), 4096, first, last));
}
BENCHMARK(BM_CountingStatistics)->Arg(40)->Arg(4096)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mirvo

BENCHMARK_MAIN();
