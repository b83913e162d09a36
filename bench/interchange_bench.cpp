// Export and import of one full four-spectrum set (4096 channels each, counts in the hundred
// thousands, a quadratic calibration) in each interchange format: N42.42 of all spectra, IAEA SPE of
// every spectrum, and for comparison the program's own .mps. Exports include the safe writer's flush,
// fsync and rename; imports read the file from disk into the FILE set. Goal: each under 10 ms.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "display/RecordSets.h"
#include "files/N42Writer.h"
#include "files/SpeWriter.h"
#include "files/SpectrumFile.h"
#include "files/SpectrumImport.h"

namespace mirvo {
namespace {

constexpr std::int64_t kNowMs = 1796882400000;
constexpr std::array<const char*, 4> kSpeNames = {"s0.spe", "s1.spe", "s2.spe", "s3.spe"};

struct SetFixture {
  SetFixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mirvo-interchange-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) folder = pattern;
    for (int k = 0; k < 4; ++k) {
      SpectrumRecord& record = sets.BufferPlot(k).Record();
      for (int ch = 0; ch < kMaxChannels; ++ch) {
        const double background = 20000.0 * std::exp(-ch / 900.0);
        const double peak = 500000.0 * std::exp(-0.5 * std::pow((ch - 1050) / 12.0, 2));
        record.hardCounts[ch] = static_cast<std::uint32_t>(background + peak);
      }
      record.stored.unitIndex = 2;
      record.stored.useAll = 1;
      record.stored.pointCount = 3;
      for (std::size_t p = 0; p < 3; ++p) {
        record.stored.channel[p] = 500.0 + 500.0 * static_cast<double>(p);
        record.stored.energy[p] = 100.0 + 300.0 * static_cast<double>(p) + 2.0 * static_cast<double>(p * p);
      }
    }
    for (int k = 0; k < 4; ++k) records[static_cast<std::size_t>(k)] = &sets.BufferPlot(k).Record();
  }
  ~SetFixture() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  std::string File(const std::string& name) const { return folder + "/" + name; }

  SpectrumMemory memory;
  RecordSets sets{memory};
  std::array<const SpectrumRecord*, 4> records{};
  AcquisitionTimes times{3600.0, 3540.0, 1.67, "10/12/2020  14:33:02", "START TIME: SYSTEM"};
  std::string folder;
};

void BM_ExportN42AllSpectra(benchmark::State& state) {
  SetFixture f;
  for (auto _ : state) {
    if (!WriteN42File(f.records, kAllSpectra, f.File("set.n42"), f.times, kNowMs).Ok()) state.SkipWithError("save");
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(f.File("set.n42")));
}
BENCHMARK(BM_ExportN42AllSpectra)->Unit(benchmark::kMillisecond);

void BM_ExportSpeFourSpectra(benchmark::State& state) {
  SetFixture f;
  for (auto _ : state) {
    for (int k = 0; k < 4; ++k)
      if (!WriteSpeFile(f.records, k, f.File(kSpeNames[static_cast<std::size_t>(k)]), f.times).Ok()) state.SkipWithError("save");
  }
}
BENCHMARK(BM_ExportSpeFourSpectra)->Unit(benchmark::kMillisecond);

void BM_ImportN42AllSpectra(benchmark::State& state) {
  SetFixture f;
  WriteN42File(f.records, kAllSpectra, f.File("set.n42"), f.times, kNowMs);
  std::vector<std::string> notes;
  for (auto _ : state) {
    if (!LoadAnySpectrumFile(f.sets, f.File("set.n42"), notes).Ok()) state.SkipWithError("load");
  }
}
BENCHMARK(BM_ImportN42AllSpectra)->Unit(benchmark::kMillisecond);

void BM_ImportSpeFourSpectra(benchmark::State& state) {
  SetFixture f;
  for (int k = 0; k < 4; ++k) WriteSpeFile(f.records, k, f.File(kSpeNames[static_cast<std::size_t>(k)]), f.times);
  std::vector<std::string> notes;
  for (auto _ : state) {
    for (int k = 0; k < 4; ++k)
      if (!LoadAnySpectrumFile(f.sets, f.File(kSpeNames[static_cast<std::size_t>(k)]), notes).Ok()) state.SkipWithError("load");
  }
}
BENCHMARK(BM_ImportSpeFourSpectra)->Unit(benchmark::kMillisecond);

// The formats' own work without the disk: the texts built in memory and parsed into the FILE set.
void BM_N42TextRoundTripInMemory(benchmark::State& state) {
  SetFixture f;
  std::vector<std::string> notes;
  for (auto _ : state) {
    const std::string text = N42Document(ExchangeFromRecords(f.records, f.times), kAllSpectra, kNowMs);
    if (!LoadExchangeText(f.sets, SpectrumFormat::N42, text, "set.n42", notes).Ok()) state.SkipWithError("load");
  }
}
BENCHMARK(BM_N42TextRoundTripInMemory)->Unit(benchmark::kMillisecond);

void BM_SpeTextRoundTripInMemory(benchmark::State& state) {
  SetFixture f;
  std::vector<std::string> notes;
  for (auto _ : state) {
    const ExchangeSet set = ExchangeFromRecords(f.records, f.times);
    for (const ExchangeSpectrum& spectrum : set.spectra) {
      const std::string text = SpeDocument(set, spectrum);
      if (!LoadExchangeText(f.sets, SpectrumFormat::Spe, text, "s.spe", notes).Ok()) state.SkipWithError("load");
    }
  }
}
BENCHMARK(BM_SpeTextRoundTripInMemory)->Unit(benchmark::kMillisecond);

void BM_ExportMps(benchmark::State& state) {
  SetFixture f;
  for (auto _ : state) {
    if (!WriteSpectrumFile(f.records, f.File("set.mps"), f.times).Ok()) state.SkipWithError("save");
  }
}
BENCHMARK(BM_ExportMps)->Unit(benchmark::kMillisecond);

void BM_ImportMps(benchmark::State& state) {
  SetFixture f;
  WriteSpectrumFile(f.records, f.File("set.mps"), f.times);
  std::vector<std::string> notes;
  for (auto _ : state) {
    if (!LoadAnySpectrumFile(f.sets, f.File("set.mps"), notes).Ok()) state.SkipWithError("load");
  }
}
BENCHMARK(BM_ImportMps)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirvo

BENCHMARK_MAIN();
