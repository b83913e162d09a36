// The Kvetral instrument on a pseudo-terminal, served on its own thread: what tests open as their
// port, and what the kvetral-sim executable puts in the virtual-port folder for people.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Clock.h"

namespace kvetral {

struct SimOptions {
  std::uint16_t serial = 1;
  std::string source = "mixed";  // cs137 | co60 | ambe | mixed | background, or several joined by +
  double fom = 1.5;
  double rate = 2000.0;  // events per second
  double speed = 1.0;
  double drift = 0.0;  // gain change in percent per degree Celsius as the instrument warms
  unsigned baud = 0;  // 0 = unlimited line rate
  double corrupt = 0, drop = 0, garbage = 0;  // probabilities 0..1
  long silentAfter = -1, closeAfter = -1;     // -1 = never
  std::uint64_t seed = 1;
  std::string journal;  // empty = none
  std::string link;     // empty = no symlink (the in-process form normally makes none)
  const mirvo::IClock* clock = nullptr;  // nullptr = the real clock; tests pass a test::FakeClock and advance it
};

class Simulator {
 public:
  explicit Simulator(SimOptions options = {});
  ~Simulator();  // stops and closes everything
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  bool Start(std::string* error = nullptr);  // opens the pty pair, serves on its own thread
  void Stop();
  const std::string& DevicePath() const;  // the slave path the program opens as its port

  // Inspection and control for tests (thread-safe). Inspections first bring the instrument up to
  // the clock's present time.
  std::uint16_t Register(unsigned reg) const;  // reg 0x00..0xFF
  void SetRegister(unsigned reg, std::uint16_t value);  // raw, as the instrument itself would
  std::uint32_t Count(unsigned spectrum, unsigned channel) const;
  std::uint64_t NeutronTotal(unsigned spectrum) const;  // neutron events among a spectrum's counts
  std::uint64_t RequestsReceived() const;  // complete, valid requests
  std::vector<std::vector<std::uint8_t>> RequestLog() const;  // every complete, valid request, byte for byte, in order
  void ClearRequestLog();
  void CorruptNextReplies(int n);  // the next n replies carry a wrong checksum
  void DropNextRequests(int n);    // the next n requests get no reply
  void SetSilent(bool silent);     // answer nothing while set
  void SetCountingPaused(bool paused);  // no pulses reach the input while set; the times run on
  void Unplug();                   // close the master end: the instrument is gone
  void PowerCycle();               // memory, times, stamp and run lost; the line stays served
  // Moves the instrument's time `seconds` beyond the clock and generates events / ticks counters up
  // to the new present; AdvanceTime(0) only catches up with the clock.
  void AdvanceTime(double seconds);

  // Beyond the tests' needs: the link made, whether the line is still served, the design flash.
  const std::string& LinkPath() const;
  bool Serving() const;
  std::uint64_t RepliesSent() const;  // replies formed for the line (after the faults that remove them)
  std::vector<std::uint8_t> Flash(std::uint32_t address, std::size_t length) const;
  unsigned Configurations() const;  // configure packets accepted

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kvetral
