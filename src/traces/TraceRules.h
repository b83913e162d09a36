// The trace viewer's rules as pure functions: names and captions, the time-base and vertical
// tables, the register words it writes, the normalisation shifts, the conversion of one sample to
// a screen deflection, and where the grid, the analog points and the digital lanes are drawn.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/RegisterImage.h"

namespace mirvo {

namespace trace_reg {
constexpr unsigned kSlowRise = 0x02, kFastRise = 0x04, kAmplifier = 0x12, kExponent = 0x3E;
constexpr unsigned kTimeBase = 0x18, kDelay = 0x19, kControl = 0x1A, kRoiStart = 0x1B, kRoiEnd = 0x1C;
constexpr unsigned kLongTc = 0x0B, kMargins = 0x47;
}  // namespace trace_reg

constexpr int kTraceSamples = 256;
constexpr int kTimeBaseIndexMax = 17;
constexpr int kVerticalIndexMax = 18;
constexpr int kDelayMax = 255;
constexpr int kOffsetSliderMin = -255, kOffsetSliderMax = 256;
constexpr int kModeRandom = -2, kModeNormal = -1, kModeSingle = 0, kModeAv16 = 4;
constexpr int kInputRIndex = 6, kInhibitIndex = 5, kRoiScaIndex = 7;

// "SLOW", "FAST", "ADC", "AUX".
const char* AnalogSignalName(int signal);
// The digital signal and trigger source names, with the coincidence alternative for 5 and 6.
const char* DigitalSignalName(int index, bool coincidence);
// "RND", "NRM", "SGL", "Av2" .. "Av16".
const char* ModeCaption(int mode);
// The mode after a press of the mode button: up to 4, then -2.
int NextMode(int mode);
// 2, 4, 8 or 16 traces averaged in modes 1 to 4, else 1.
int AveragedTraces(int mode);

// The time-base value of index 0 .. 17 (clamped).
int TimeBaseValue(int index);
// The label of index for the clock code (codes 0 and 3 share theirs), followed by "s/div".
std::string TimeBaseLabel(int index, int clockCode);
// "2/div" .. "512k/div" for index 0 .. 18.
std::string VerticalLabel(int index);

// Register 0x18: value - 11 above 10, else 0.
std::uint16_t TimeBaseRegister(int value);
// Register 0x19: the delay position above 10, else the position divided by (12 - value).
std::uint16_t DelayRegister(int position, int value);
// Microseconds per point: (value - 10) x period above 10, else the period.
double PointTimeUs(int value, double samplePeriodUs);

// D: the power of two chosen from LONG TC [rel] (32 .. 4096).
int LongTcDivisor(int longTc);
// The slow (limit 15) or fast (limit 10) normalisation shift: 3 when the amplifier's register 0x12
// bit 14 is set and register 0x3E bits 7:4 are 0; else the significant bits of
// gain register x BDC x LONG TC / D, plus 1.
int NormalisationShift(const RegisterImage& image, unsigned gainRegister, double bdc, int longTc, int limit);
struct Shifts {
  int slow = 1;
  int fast = 1;
  bool operator==(const Shifts&) const = default;
};
Shifts NormalisationShifts(const RegisterImage& image, double bdc, int longTc);

// The viewer's fields that make up register 0x1A.
struct TraceControlFields {
  int signal = 0;
  bool coincidence = false;
  int trigger = 0;
  bool invert = false;
  bool random = false;
  Shifts shifts;
};
// Register 0x1A built in the required order from `previous`: bits 11:8 and 15:12, bits 1:0, bit 2,
// bits 7:3 cleared and refilled with the trigger, bit 6, bit 7.
std::uint16_t TraceControlWord(std::uint16_t previous, const TraceControlFields& fields);

// What turns an analog word into a deflection.
struct TraceScale {
  int signal = 0;
  Shifts shifts;
  std::uint16_t slowRise = 0, fastRise = 0;  // registers 0x02 and 0x04
  bool fixedSlowShift = false;               // register 0x12 bit 14 with register 0x3E bits 7:4 at 0
  double bdc = 1.0;
  int base = 0;  // the block's peak with PEAK on, else 0
  long long offset = 0;
  int vertical = 12;
  int limit = 255;
  bool wide = false;  // the trace area is wider than 256 units
};
TraceScale MakeTraceScale(const RegisterImage& image, int signal, Shifts shifts, double bdc);
// f before the vertical scale (step 3 of the conversion).
long long NormalisedValue(const TraceScale& scale, int analog);
// The screen deflection of one analog word: positive goes down from the centre line.
int Deflection(const TraceScale& scale, int analog);

// The trace area and where things go in it.
struct TraceArea {
  int left = 0, top = 0, width = 256, height = 256;
  int CentreY() const { return top + height / 2; }
  int CentreX() const { return left + width / 2; }
  bool Wide() const { return width > 256; }
};
// The area that fits a form region: 512 x 512 when there is room, else 256 x 256, centred in x.
TraceArea FitTraceArea(int left, int top, int availableWidth, int availableHeight);

struct Segment {
  int x1, y1, x2, y2;
  bool operator==(const Segment&) const = default;
};
// Grid lines every W/16 and H/16, plus 9-unit ticks every W/64 on the horizontal centre line and
// every H/64 on the vertical centre line.
std::vector<Segment> GridSegments(const TraceArea& area);

struct ScreenPoint {
  int x, y;
  bool operator==(const ScreenPoint&) const = default;
};
// Screen units per point: 4 for value 8, 2 for value 10, else 1; doubled in a wide area.
int PointStep(int timeBaseValue, bool wide);
// How many of the 256 points are drawn: those whose x offset stays below 255 (510 when wide).
int DrawnPoints(int timeBaseValue, bool wide);
// The y of digital lane j (1 .. 8) with its bit set or clear.
int LaneY(const TraceArea& area, int lane, bool set);

// The nine traces to draw: [0] the analog trace, [1 .. 8] the digital lanes F LLD .. ROI-SCA.
using TraceTraces = std::array<std::vector<ScreenPoint>, 9>;
TraceTraces TracePoints(const TraceArea& area, const std::array<std::uint16_t, 2 * kTraceSamples>& block,
                        const TraceScale& scale, int timeBaseValue);

}  // namespace mirvo
