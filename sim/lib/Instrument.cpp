#include "lib/Instrument.h"
#include "lib/Shaper.h"

#include <algorithm>
#include <cmath>

#include "fpga/FpgaProtocol.h"
#include "protocol/Packets.h"
#include "protocol/RegisterImage.h"

namespace kvetral {
namespace {

namespace pk = mirvo::packet;
namespace fp = mirvo::fpga;
using mirvo::cw::kResetPulseA;
using mirvo::cw::kResetPulseB;
using mirvo::cw::kRun;
using mirvo::cw::kRunCompanion;
using mirvo::cw::kTraceReady;

constexpr double kNsPerTick = 1e7;  // 10 ms
constexpr std::uint32_t kRegisterWords = 0x8000;
constexpr std::uint32_t kTraceWords = 0x8000;

std::uint32_t Long(const Registers& regs, unsigned low) {
  return regs[low] | (static_cast<std::uint32_t>(regs[low + 1]) << 16);
}

void PutLong(Registers& regs, unsigned low, std::uint64_t value) {
  const std::uint32_t v = value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
  regs[low] = static_cast<std::uint16_t>(v & 0xFFFF);
  regs[low + 1] = static_cast<std::uint16_t>(v >> 16);
}

// Counter pair + fraction: 10 ms ticks and the rest in units of 16 sample periods (16 bits).
void PutTime(Registers& regs, unsigned ticksLow, unsigned fraction, double ns, double unitNs) {
  const double ticks = std::floor(ns / kNsPerTick);
  PutLong(regs, ticksLow, static_cast<std::uint64_t>(ticks));
  regs[fraction] = static_cast<std::uint16_t>(std::min(65535.0, std::floor((ns - ticks * kNsPerTick) / unitNs)));
}

double TimeFromRegisters(const Registers& regs, unsigned ticksLow, unsigned fraction) {
  return Long(regs, ticksLow) * 0.01 + regs[fraction] * 16.0 * SamplePeriodNs(regs) * 1e-9;
}

}  // namespace

Instrument::Instrument(const InstrumentConfig& config)
    : config_(config),
      events_(config.source, config.fom, config.seed),
      frontEnd_(config.drift),
      noise_(config.seed ^ 0x6E6F697365ull),
      journal_(config.journal) {
  regs_ = PowerUpRegisters(events_.TipsBorder());
}

bool Instrument::Running() const { return (regs_[mirvo::reg::kControlWord] & kRun) != 0; }

std::uint32_t Instrument::Count(unsigned spectrum, unsigned channel) const {
  if (spectrum >= EventGenerator::kSpectra || channel >= EventGenerator::kChannels) return 0;
  return spectra_[spectrum * EventGenerator::kChannels + channel];
}

std::uint64_t Instrument::Total(unsigned spectrum) const {
  std::uint64_t total = 0;
  for (unsigned ch = 0; ch < EventGenerator::kChannels; ++ch) total += Count(spectrum, ch);
  return total;
}

double Instrument::RealSeconds() const {
  Registers copy = regs_;
  PutTime(copy, mirvo::reg::kRealTicksLow, mirvo::reg::kRealFraction, realNs_, 16 * SamplePeriodNs(regs_));
  return TimeFromRegisters(copy, mirvo::reg::kRealTicksLow, mirvo::reg::kRealFraction);
}

double Instrument::LiveSeconds() const {
  Registers copy = regs_;
  PutTime(copy, mirvo::reg::kLiveTicksLow, mirvo::reg::kLiveFraction, liveNs_, 16 * SamplePeriodNs(regs_));
  return TimeFromRegisters(copy, mirvo::reg::kLiveTicksLow, mirvo::reg::kLiveFraction);
}

void Instrument::AdvanceTo(std::int64_t nowMs) {
  if (lastMs_ == kNever) {
    startMs_ = lastMs_ = nowMs;
    traceDueMs_ = nowMs + kTraceRearmMs;
  }
  if (nowMs > lastMs_) {
    const double instrumentNs = static_cast<double>(nowMs - lastMs_) * 1e6 * config_.speed;
    lastMs_ = nowMs;
    if (Running()) Run(instrumentNs, nowMs);
  }
  CaptureTraceIfDue(nowMs);
}

void Instrument::Run(double instrumentNs, std::int64_t nowMs) {
  // Without pulses nothing is busy: live time runs with real time.
  const double liveFraction = countingPaused_ ? 1.0 : 1.0 / (1.0 + config_.rate * DeadTimePerEvent(regs_));
  double step = instrumentNs;
  bool finished = false;
  const std::uint32_t preset = Long(regs_, mirvo::reg::kPresetReal);
  const bool livePreset = (regs_[mirvo::reg::kControlWord] & mirvo::cw::kLivePreset) != 0;
  const double presetNs = preset * kNsPerTick;
  if (preset > 0) {
    const double need = livePreset ? (presetNs - liveNs_) / liveFraction : presetNs - realNs_;
    if (need <= step) {
      step = std::max(0.0, need);
      finished = true;
    }
  }
  realNs_ += step;
  liveNs_ += step * liveFraction;
  if (finished) (livePreset ? liveNs_ : realNs_) = presetNs;  // the preset is met exactly
  if (!countingPaused_)
    GenerateEvents(config_.rate * liveFraction, InstrumentSeconds(nowMs) - instrumentNs * 1e-9, step * 1e-9);
  if (finished) {
    regs_[mirvo::reg::kControlWord] &= static_cast<std::uint16_t>(~(kRun | kRunCompanion));
    const double overshootMs = (instrumentNs - step) / config_.speed / 1e6;
    WriteJournal("finished", nowMs - static_cast<std::int64_t>(overshootMs));
  }
}

double Instrument::InstrumentSeconds(std::int64_t nowMs) const {
  if (startMs_ == kNever) return 0.0;
  return static_cast<double>(nowMs - startMs_) * 1e-3 * config_.speed;
}

void Instrument::GenerateEvents(double rate, double fromSeconds, double seconds) {
  // The shaper decides the resolution and what pile-up does; the front end the gain and offsets.
  const ShapingEffects shaping = DecodeShaping(regs_, config_.rate);
  const double accepted = rate * (1.0 - shaping.rejectFraction);
  const auto routingAt = [&](double when) {
    EventRouting routing = frontEnd_.Routing(regs_, when);
    ApplyShaping(shaping, routing);
    return routing;
  };
  if (!frontEnd_.Active(regs_)) {
    events_.Generate(events_.Rng().Poisson(accepted * seconds), routingAt(fromSeconds), spectra_.data(),
                     neutrons_.data());
    return;
  }
  // The gain moves with the temperature and the stabilizer acts between slices.
  std::uint32_t* s1 = spectra_.data() + EventGenerator::kChannels;
  std::array<std::uint32_t, EventGenerator::kChannels> before;
  const int slices = std::max(1, static_cast<int>(std::ceil(seconds / FrontEnd::kMaxSliceSeconds)));
  const double slice = seconds / slices;
  for (int k = 0; k < slices; ++k) {
    std::copy(s1, s1 + EventGenerator::kChannels, before.begin());
    events_.Generate(events_.Rng().Poisson(accepted * slice), routingAt(fromSeconds + (k + 0.5) * slice),
                     spectra_.data(), neutrons_.data());
    frontEnd_.Stabilize(regs_, before.data(), s1);
  }
}

void Instrument::CaptureTraceIfDue(std::int64_t nowMs) {
  if (traceDueMs_ == kNever || nowMs < traceDueMs_) return;
  // The trace shows a pulse that triggered: one above the thresholds and within the range.
  const EventRouting routing = DecodeRouting(regs_);
  SimEvent event = events_.Sample(routing);
  for (int attempt = 0; attempt < 100 && (event.channel < static_cast<std::int32_t>(routing.lowestChannel) ||
                                          event.channel >= static_cast<std::int32_t>(EventGenerator::kChannels));
       ++attempt)
    event = events_.Sample(routing);
  trace_ = CaptureTrace(regs_, event, Running(), events_.Rng());
  regs_[mirvo::reg::kControlWord] |= kTraceReady;
  traceDueMs_ = kNever;
}

void Instrument::WriteJournal(const char* event, std::int64_t nowMs) const {
  if (!journal_.Enabled()) return;
  JournalEntry entry;
  entry.utcMs = nowMs;
  entry.event = event;
  entry.realSeconds = RealSeconds();
  entry.liveSeconds = LiveSeconds();
  for (unsigned k = 0; k < EventGenerator::kSpectra; ++k) entry.totals[k] = Total(k);
  journal_.Append(entry);
}

void Instrument::ClearMemory(const char* event, std::int64_t nowMs) {
  const bool anything =
      realNs_ > 0 || std::any_of(spectra_.begin(), spectra_.end(), [](std::uint32_t c) { return c != 0; });
  if (anything) WriteJournal(event, nowMs);
  spectra_.fill(0);
  neutrons_.fill(0);
  realNs_ = liveNs_ = 0;
}

void Instrument::PowerCycle(std::int64_t nowMs) {
  ClearMemory("power cycle", nowMs);
  regs_[mirvo::reg::kControlWord] &= static_cast<std::uint16_t>(~(kRun | kRunCompanion));
  regs_[mirvo::reg::kStartDate] = 0;
  regs_[mirvo::reg::kStartTime] = 0;
}

void Instrument::WriteControlWord(std::uint16_t value, std::int64_t nowMs) {
  const std::uint16_t old = regs_[mirvo::reg::kControlWord];
  // Reset pulses clear the memory and the times; they are pulses, not stored states.
  if (value & (kResetPulseA | kResetPulseB)) ClearMemory("reset", nowMs);
  std::uint16_t stored = static_cast<std::uint16_t>(value & ~(kResetPulseA | kResetPulseB | kTraceReady));
  stored |= old & kTraceReady;  // the trace-ready flag belongs to the instrument
  regs_[mirvo::reg::kControlWord] = stored;
  if ((old & kRun) && !(stored & kRun)) WriteJournal("stopped", nowMs);
  if (stored & kRun) Run(0, nowMs);  // a preset that is already reached ends the run at once
}

void Instrument::UpdateInstrumentRegisters() {
  using namespace simreg;
  const double unitNs = 16 * SamplePeriodNs(regs_);
  PutTime(regs_, mirvo::reg::kRealTicksLow, mirvo::reg::kRealFraction, realNs_, unitNs);
  PutTime(regs_, mirvo::reg::kLiveTicksLow, mirvo::reg::kLiveFraction, liveNs_, unitNs);
  // Rate meters: counts in a gate of G x 2048 sample periods, G about one second and small enough
  // that the counts fit 16 bits.
  const double gateUnit = 2048 * SamplePeriodNs(regs_) * 1e-9;
  const double incoming = Running() && !countingPaused_ ? config_.rate : 0.0;
  const double throughput = incoming / (1.0 + incoming * DeadTimePerEvent(regs_)) *
                            (1.0 - DecodeShaping(regs_, incoming).rejectFraction);
  double gate = std::min(65535.0, std::floor(1.0 / gateUnit));
  if (incoming * gate * gateUnit > 60000.0) gate = std::max(1.0, std::floor(60000.0 / (incoming * gateUnit)));
  regs_[kThroughputGate] = regs_[kIncomingGate] = static_cast<std::uint16_t>(gate);
  regs_[kThroughputCount] =
      static_cast<std::uint16_t>(std::min<std::uint64_t>(65535, noise_.Poisson(throughput * gate * gateUnit)));
  regs_[kIncomingCount] =
      static_cast<std::uint16_t>(std::min<std::uint64_t>(65535, noise_.Poisson(incoming * gate * gateUnit)));
  const Thresholds thr = DecodeThresholds(regs_);
  PutLong(regs_, kSlowEstimateLow, static_cast<std::uint64_t>(thr.autoSlow) * thr.slowFactor);
  PutLong(regs_, kFastEstimateLow, static_cast<std::uint64_t>(thr.autoFast) * thr.fastFactor);
}

std::array<std::uint16_t, 8> Instrument::StatusWords(std::int64_t nowMs) {
  const double temperature = FrontEnd::Temperature(InstrumentSeconds(nowMs));
  std::array<std::uint16_t, 8> words{};
  words[0] = kFirmware;
  words[1] = config_.serial;
  words[2] = static_cast<std::uint16_t>(1450 + noise_.Below(3));  // bias reading
  words[4] = static_cast<std::uint16_t>(2498 + noise_.Below(5));  // slow ADC, thousandths of a volt
  words[6] = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(temperature)));
  return words;
}

std::uint16_t Instrument::ReadWord(std::uint32_t address, std::uint32_t wordOffset) const {
  const std::uint32_t word = (address & 0xFFFFu) + wordOffset;
  if (address & pk::kReadSpace) {
    if (word < kRegisterWords) {
      const std::uint32_t count = spectra_[(word / 2) % kCounts];
      return static_cast<std::uint16_t>(word % 2 == 0 ? count & 0xFFFF : count >> 16);
    }
    if (word - kRegisterWords < regs_.size()) return regs_[word - kRegisterWords];
    return 0;
  }
  if (word >= kTraceWords && word - kTraceWords < trace_.size()) return trace_[word - kTraceWords];
  return 0;
}

std::vector<std::uint8_t> Instrument::HandleRead(std::span<const std::uint8_t> request, std::int64_t nowMs) {
  const std::uint32_t address = pk::GetLong(request, 4);
  const std::uint16_t byteCount = pk::GetWord(request, 8);
  UpdateInstrumentRegisters();
  std::vector<std::uint8_t> data(byteCount);
  for (std::uint32_t i = 0; i < byteCount; i += 2) {
    const std::uint16_t word = ReadWord(address, i / 2);
    data[i] = static_cast<std::uint8_t>(word & 0xFF);
    if (i + 1 < byteCount) data[i + 1] = static_cast<std::uint8_t>(word >> 8);
  }
  const bool traceRead = !(address & pk::kReadSpace) && (address & 0xFFFFu) <= kTraceWords &&
                         (address & 0xFFFFu) + byteCount / 2 > kTraceWords;
  if (traceRead) {  // the host has the trace: arm for the next one
    regs_[mirvo::reg::kControlWord] &= static_cast<std::uint16_t>(~kTraceReady);
    if (traceDueMs_ == kNever) traceDueMs_ = nowMs + kTraceRearmMs;
  }
  const auto status = StatusWords(nowMs);
  return pk::BuildReadReply(address, status, data);
}

std::vector<std::uint8_t> Instrument::HandleWrite(std::span<const std::uint8_t> request, std::int64_t nowMs) {
  const std::uint32_t address = pk::GetLong(request, 4);
  const std::size_t words = (request.size() - pk::kWriteReplyLength) / 2;
  const std::uint32_t first = address & 0xFFFFu;
  if ((address & pk::kWriteSpace) == pk::kWriteSpace && first >= pk::kRegisterBase) {
    // The block is stored whole before the control word acts, so a start sees the preset that
    // travels in the same block.
    bool controlWritten = false;
    std::uint16_t control = 0;
    for (std::size_t k = 0; k < words && first - pk::kRegisterBase + k < regs_.size(); ++k) {
      const auto reg = static_cast<unsigned>(first - pk::kRegisterBase + k);
      const std::uint16_t value = pk::GetWord(request, pk::kWriteHeaderLength + 2 * k);
      if (reg == mirvo::reg::kControlWord) {
        controlWritten = true;
        control = value;
      } else if (!InstrumentOwned(reg)) {
        regs_[reg] = value;
      }
    }
    if (controlWritten) WriteControlWord(control, nowMs);
  }
  const auto reply = pk::BuildWriteReply(address);
  return std::vector<std::uint8_t>(reply.begin(), reply.end());
}

std::vector<std::uint8_t> Instrument::HandleFlash(std::span<const std::uint8_t> request, std::int64_t nowMs) {
  const std::uint16_t opcode = pk::GetWord(request, 0);
  const std::uint32_t dword = pk::GetLong(request, fp::kFlashAddressOffset);
  if (opcode == fp::kFlashWriteOpcode && request.size() == fp::kFlashWriteLength) {
    if (!flash_.Write(dword, request.subspan(fp::kFlashWriteDataOffset, fp::kFlashBlockSize))) return {};
    const auto reply = fp::BuildFlashWriteReply(opcode, dword);
    return {reply.begin(), reply.end()};
  }
  if (opcode == fp::kConfigureOpcode && request.size() == fp::kConfigureLength) {
    if (dword != fp::ConfigureKey()) return {};  // a wrong key is ignored
    ClearMemory("configured", nowMs);
    regs_ = PowerUpRegisters(events_.TipsBorder());
    frontEnd_.PowerUp();
    traceDueMs_ = nowMs + kTraceRearmMs;
    ++configurations_;
    const auto reply = fp::BuildConfigureReply(dword);
    return {reply.begin(), reply.end()};
  }
  // Flash read: opcode 215, or the design file's own command word on the first read.
  if (request.size() != fp::kFlashReadLength || pk::GetWord(request, 8) != fp::kFlashBlockSize) return {};
  const auto block = flash_.Block(dword);
  if (block.empty()) return {};
  const auto reply = fp::BuildFlashReadReply(dword, block.first<fp::kFlashBlockSize>());
  return {reply.begin(), reply.end()};
}

std::vector<std::uint8_t> Instrument::Handle(std::span<const std::uint8_t> request, std::int64_t nowMs) {
  AdvanceTo(nowMs);
  if (request.size() < pk::kWriteReplyLength) return {};
  switch (pk::GetWord(request, 0)) {
    case pk::kReadOpcode: return request.size() == pk::kReadRequestLength ? HandleRead(request, nowMs) : std::vector<std::uint8_t>{};
    case pk::kWriteOpcode: return HandleWrite(request, nowMs);
    default: break;
  }
  return HandleFlash(request, nowMs);
}

}  // namespace kvetral
