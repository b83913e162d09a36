// The trace block of the simulated instrument: 256 (analog, digital) pairs of one synthetic pulse
// on the selected signal (SLOW, FAST, ADC, AUX) with the digital lanes a real instrument would set.
#pragma once

#include <array>
#include <cstdint>

#include "lib/EventGenerator.h"
#include "lib/RegisterMap.h"

namespace kvetral {

constexpr std::size_t kTracePoints = 256;
using TraceBlock = std::array<std::uint16_t, 2 * kTracePoints>;  // analog word, digital word, ...

// Digital lanes, bit j of the digital word.
namespace lane {
constexpr std::uint16_t kFastLld = 1u << 0, kSlowLld = 1u << 1, kPeakDetect = 1u << 2, kStore = 1u << 3;
constexpr std::uint16_t kPileUp = 1u << 4, kInhibit = 1u << 5, kInputR = 1u << 6, kRoiSca = 1u << 7;
}  // namespace lane

// Captures a trace of `event` with the trace controls of `regs` (time base 0x18, delay 0x19,
// signal and trigger 0x1A, ROI-SCA window 0x1B/0x1C). `stored`: the event goes into the spectra.
TraceBlock CaptureTrace(const Registers& regs, const SimEvent& event, bool stored, Random& random);

}  // namespace kvetral
