// Saving and loading one full spectrum file (four spectra with counts in the hundred thousands,
// ROI marks, three calibration points each), and the per-file work of mirvo-cli report.
// The save includes the flush, fsync and rename of the safe writer.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "display/PeakAnalysis.h"
#include "display/RecordSets.h"
#include "files/LoadedSpectrumFile.h"
#include "files/SpectrumFile.h"
#include "protocol/RegisterImage.h"

namespace mirvo {
namespace {

struct FileFixture {
  FileFixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mirvo-files-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) folder = pattern;
    path = folder + "/full.mps";
    for (int k = 0; k < 4; ++k) {
      SpectrumRecord& record = sets.BufferPlot(k).Record();
      for (int ch = 0; ch < kMaxChannels; ++ch) {
        const double background = 20000.0 * std::exp(-ch / 900.0);
        const double peak = 500000.0 * std::exp(-0.5 * std::pow((ch - 1050) / 12.0, 2));
        record.hardCounts[ch] = static_cast<std::uint32_t>(background + peak);
        record.hardRoi[static_cast<std::size_t>(ch)] = ch >= 1000 && ch <= 1100 ? 1 : 0;
      }
      record.stored.pointCount = 3;
      for (std::size_t p = 0; p < 3; ++p) {
        record.stored.channel[p] = 500.0 + 500.0 * static_cast<double>(p);
        record.stored.energy[p] = 100.0 + 300.0 * static_cast<double>(p);
      }
    }
  }
  ~FileFixture() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  SpectrumMemory memory;
  RecordSets sets{memory};
  AcquisitionTimes times{3600.0, 3540.0, 1.67, "10/12/2020  14:33:02", "START TIME: SYSTEM"};
  std::string folder;
  std::string path;
};

void BM_SaveSpectrumFile(benchmark::State& state) {
  FileFixture fixture;
  for (auto _ : state) {
    const FileResult result = SaveSpectrumFile(fixture.sets, fixture.path, true, fixture.times);
    if (!result.Ok()) state.SkipWithError(result.message.c_str());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(fixture.path)));
}
BENCHMARK(BM_SaveSpectrumFile)->Unit(benchmark::kMillisecond);

void BM_LoadSpectrumFile(benchmark::State& state) {
  FileFixture fixture;
  SaveSpectrumFile(fixture.sets, fixture.path, true, fixture.times);
  for (auto _ : state) {
    const FileResult result = LoadSpectrumFile(fixture.sets, fixture.path);
    if (!result.Ok()) state.SkipWithError(result.message.c_str());
  }
}
BENCHMARK(BM_LoadSpectrumFile)->Unit(benchmark::kMillisecond);

// What mirvo-cli report does per file: load, the times, one ROI and the FOM.
void BM_ReportOneFile(benchmark::State& state) {
  FileFixture fixture;
  fixture.sets.BufferPlot(0).Record().stored.fomPeak1First = 1000;
  fixture.sets.BufferPlot(0).Record().stored.fomPeak1Last = 1100;
  fixture.sets.BufferPlot(0).Record().stored.fomPeak2First = 1000;
  fixture.sets.BufferPlot(0).Record().stored.fomPeak2Last = 1100;
  SaveSpectrumFile(fixture.sets, fixture.path, true, fixture.times);
  LoadedSpectrumFile file;
  for (auto _ : state) {
    file.Load(fixture.path);
    benchmark::DoNotOptimize(file.Times());
    benchmark::DoNotOptimize(AnalyseRoi(file.Plot(1), 1000, 1100));
    benchmark::DoNotOptimize(ComputeFom(file.Plot(0)));
  }
}
BENCHMARK(BM_ReportOneFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirvo

BENCHMARK_MAIN();
