// How fast the simulator makes events: the event generator alone (energy, pulse shape and routing
// into the four spectra) and the instrument counting simulated seconds at a high rate.
#include <benchmark/benchmark.h>

#include <vector>

#include "lib/EventGenerator.h"
#include "lib/Instrument.h"
#include "lib/RegisterMap.h"
#include "protocol/Packets.h"
#include "protocol/RegisterImage.h"

namespace {

void BM_GenerateEvents(benchmark::State& state) {
  kvetral::EventGenerator generator(kvetral::Source::Mixed, 1.5, 1);
  const kvetral::EventRouting routing = kvetral::DecodeRouting(kvetral::PowerUpRegisters(generator.TipsBorder()));
  std::vector<std::uint32_t> spectra(4 * 4096);
  const auto batch = static_cast<std::uint64_t>(state.range(0));
  for (auto _ : state) {
    generator.Generate(batch, routing, spectra.data());
    benchmark::DoNotOptimize(spectra.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * batch));
}
BENCHMARK(BM_GenerateEvents)->Arg(1000)->Arg(1 << 20);

// One simulated second per iteration with 1 million events per second reaching the detector, through
// the instrument's time step (dead time, preset check, Poisson draw, routing); items are the events
// that were processed and counted.
void BM_InstrumentSecondAtOneMillionPerSecond(benchmark::State& state) {
  kvetral::InstrumentConfig config;
  config.rate = 1e6;
  kvetral::Instrument instrument(config);
  std::int64_t nowMs = 1'765'000'000'000;
  const std::vector<std::uint16_t> run{mirvo::cw::kRun | mirvo::cw::kRunCompanion};
  instrument.Handle(mirvo::packet::BuildWriteRequest(mirvo::packet::RegisterWriteAddress(mirvo::reg::kControlWord), run),
                    nowMs);
  std::uint64_t before = instrument.Total(0);
  for (auto _ : state) {
    nowMs += 1000;
    instrument.AdvanceTo(nowMs);
  }
  const std::uint64_t counted = instrument.Total(0) - before;
  state.SetItemsProcessed(static_cast<std::int64_t>(counted));
}
BENCHMARK(BM_InstrumentSecondAtOneMillionPerSecond)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
