// The simulated Kvetral instrument without its line: registers, spectrum memory, run and preset
// timing, event generation, trace capture and design flash; it answers one framed request at a time.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "lib/EventGenerator.h"
#include "lib/FlashMemory.h"
#include "lib/FrontEnd.h"
#include "lib/Journal.h"
#include "lib/RegisterMap.h"
#include "lib/TraceGenerator.h"

namespace kvetral {

struct InstrumentConfig {
  std::uint16_t serial = 1;
  Source source = Source::Mixed;
  double fom = 1.5;
  double rate = 2000.0;  // events per second reaching the detector
  double speed = 1.0;    // instrument seconds per wall-clock second
  std::uint64_t seed = 1;
  std::string journal;
  double drift = 0.0;  // gain change in percent per degree Celsius
};

class Instrument {
 public:
  static constexpr std::uint16_t kFirmware = 250;
  static constexpr std::size_t kCounts = EventGenerator::kSpectra * EventGenerator::kChannels;
  static constexpr std::int64_t kTraceRearmMs = 20;

  explicit Instrument(const InstrumentConfig& config);

  // Brings counting, presets, temperature and trace capture up to the wall-clock time `nowMs`.
  void AdvanceTo(std::int64_t nowMs);
  // Acts on one complete request with a valid checksum; returns the reply (empty: no reply).
  std::vector<std::uint8_t> Handle(std::span<const std::uint8_t> request, std::int64_t nowMs);

  // Raw access for inspection and tests (no write rules applied).
  std::uint16_t Register(unsigned reg) const { return regs_[reg & 0xFFu]; }
  void SetRegister(unsigned reg, std::uint16_t value) { regs_[reg & 0xFFu] = value; }
  std::uint32_t Count(unsigned spectrum, unsigned channel) const;
  std::uint64_t Total(unsigned spectrum) const;
  // Of the counts in a spectrum, those that came from neutrons (the truth behind the windows).
  std::uint64_t NeutronTotal(unsigned spectrum) const { return spectrum < 4 ? neutrons_[spectrum] : 0; }
  bool Running() const;
  // Real and live time as the counter registers express them, in seconds.
  double RealSeconds() const;
  double LiveSeconds() const;
  std::array<std::uint16_t, 8> StatusWords(std::int64_t nowMs);
  // Updates the instrument-driven registers (times, rates, threshold estimates) to the present.
  void UpdateInstrumentRegisters();
  const FlashMemory& Flash() const { return flash_; }
  unsigned Configurations() const { return configurations_; }
  const EventGenerator& Events() const { return events_; }
  const FrontEnd& Front() const { return frontEnd_; }
  // Instrument seconds since power-on at the wall-clock time `nowMs`.
  double InstrumentSeconds(std::int64_t nowMs) const;
  // No pulses reach the input while set (a detector whose signal is lost): the times run on, the
  // spectra and the rate meters stay still.
  void SetCountingPaused(bool paused) { countingPaused_ = paused; }
  bool CountingPaused() const { return countingPaused_; }
  // The instrument lost power for a moment: memory, times, start stamp and the run are gone.
  void PowerCycle(std::int64_t nowMs);

 private:
  void Run(double instrumentNs, std::int64_t nowMs);
  // Events at `rate` per second over `seconds` of instrument time from `fromSeconds`, through the front end.
  void GenerateEvents(double rate, double fromSeconds, double seconds);
  void WriteControlWord(std::uint16_t value, std::int64_t nowMs);
  void ClearMemory(const char* event, std::int64_t nowMs);
  void WriteJournal(const char* event, std::int64_t nowMs) const;
  void CaptureTraceIfDue(std::int64_t nowMs);
  std::uint16_t ReadWord(std::uint32_t address, std::uint32_t wordOffset) const;
  std::vector<std::uint8_t> HandleRead(std::span<const std::uint8_t> request, std::int64_t nowMs);
  std::vector<std::uint8_t> HandleWrite(std::span<const std::uint8_t> request, std::int64_t nowMs);
  std::vector<std::uint8_t> HandleFlash(std::span<const std::uint8_t> request, std::int64_t nowMs);

  InstrumentConfig config_;
  bool countingPaused_ = false;
  EventGenerator events_;
  FrontEnd frontEnd_;
  Random noise_;  // status-word noise and rate counters, apart from the event stream
  Journal journal_;
  Registers regs_{};
  std::array<std::uint32_t, kCounts> spectra_{};
  std::array<std::uint64_t, EventGenerator::kSpectra> neutrons_{};
  double realNs_ = 0, liveNs_ = 0;
  static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min();
  std::int64_t startMs_ = kNever, lastMs_ = kNever;
  std::int64_t traceDueMs_ = kNever;  // next capture; kNever while a captured trace waits to be read
  TraceBlock trace_{};
  FlashMemory flash_;
  unsigned configurations_ = 0;
};

}  // namespace kvetral
