#include "traces/TraceRules.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace mirvo {

namespace {

constexpr std::array<const char*, 4> kAnalogNames = {"SLOW", "FAST", "ADC", "AUX"};
constexpr std::array<const char*, 8> kDigitalNames = {"F LLD", "S LLD", "PKDT", "STORE", "PUR", "INHIBIT", "INPUT R",
                                                      "ROI-SCA"};
constexpr std::array<const char*, 7> kModeCaptions = {"RND", "NRM", "SGL", "Av2", "Av4", "Av8", "Av16"};

struct TimeBaseRow {
  int value;
  std::array<const char*, 3> labels;  // clock codes 0 and 3, code 1, code 2
};
constexpr std::array<TimeBaseRow, 18> kTimeBase = {{
    {8, {"50n", "40n", "32n"}},        {10, {"100n", "80n", "64n"}},     {11, {"200n", "160n", "128n"}},
    {12, {"400n", "320n", "256n"}},    {15, {"1u", "800n", "640n"}},     {20, {"2u", "1.6u", "1.28u"}},
    {30, {"4u", "3.2u", "2.56u"}},     {35, {"5u", "4u", "3.2u"}},       {60, {"10u", "8u", "6.4u"}},
    {110, {"20u", "16u", "12.8u"}},    {260, {"50u", "40u", "32u"}},     {510, {"100u", "80u", "64u"}},
    {1010, {"200u", "160u", "128u"}},  {2510, {"500u", "400u", "320u"}}, {5010, {"1m", "800u", "640u"}},
    {10010, {"2m", "1.6m", "1.28m"}},  {25010, {"5m", "4m", "3.2m"}},    {50010, {"10m", "8m", "6.4m"}},
}};

constexpr std::array<const char*, 19> kVerticalLabels = {"2",   "4",  "8",  "16", "32", "64",  "128",  "256",  "512", "1k",
                                                         "2k",  "4k", "8k", "16k", "32k", "64k", "128k", "256k", "512k"};

bool FixedShift(const RegisterImage& image) {
  return (image[trace_reg::kAmplifier] & 0x4000u) != 0 && (image[trace_reg::kExponent] & 0x00F0u) == 0;
}

// trunc(register x BDC), at least 1.
long long GainDivisor(std::uint16_t gainRegister, double bdc) {
  const double x = std::trunc(gainRegister * bdc);
  return (std::isfinite(x) && x >= 1.0) ? static_cast<long long>(x) : 1;
}

}  // namespace

const char* AnalogSignalName(int signal) { return kAnalogNames[static_cast<std::size_t>(std::clamp(signal, 0, 3))]; }

const char* DigitalSignalName(int index, bool coincidence) {
  index = std::clamp(index, 0, 7);
  if (coincidence && index == kInhibitIndex) return "COINC W";
  if (coincidence && index == kInputRIndex) return "COINC S";
  return kDigitalNames[static_cast<std::size_t>(index)];
}

const char* ModeCaption(int mode) {
  return kModeCaptions[static_cast<std::size_t>(std::clamp(mode, kModeRandom, kModeAv16) - kModeRandom)];
}

int NextMode(int mode) { return mode >= kModeAv16 ? kModeRandom : mode + 1; }

int AveragedTraces(int mode) { return mode >= 1 && mode <= 4 ? 1 << mode : 1; }

int TimeBaseValue(int index) { return kTimeBase[static_cast<std::size_t>(std::clamp(index, 0, kTimeBaseIndexMax))].value; }

std::string TimeBaseLabel(int index, int clockCode) {
  const TimeBaseRow& row = kTimeBase[static_cast<std::size_t>(std::clamp(index, 0, kTimeBaseIndexMax))];
  const int code = clockCode & 3;
  const std::size_t column = code == 1 ? 1 : (code == 2 ? 2 : 0);
  return std::string(row.labels[column]) + "s/div";
}

std::string VerticalLabel(int index) {
  return std::string(kVerticalLabels[static_cast<std::size_t>(std::clamp(index, 0, kVerticalIndexMax))]) + "/div";
}

std::uint16_t TimeBaseRegister(int value) { return static_cast<std::uint16_t>(value > 10 ? value - 11 : 0); }

std::uint16_t DelayRegister(int position, int value) {
  position = std::clamp(position, 0, kDelayMax);
  if (value > 10) return static_cast<std::uint16_t>(position);
  return static_cast<std::uint16_t>(position / std::max(1, 12 - value));
}

double PointTimeUs(int value, double samplePeriodUs) {
  return value > 10 ? (value - 10) * samplePeriodUs : samplePeriodUs;
}

int LongTcDivisor(int longTc) {
  for (int d = 4096, limit = 3072; d > 32; d /= 2, limit /= 2)
    if (longTc >= limit) return d;
  return 32;
}

int NormalisationShift(const RegisterImage& image, unsigned gainRegister, double bdc, int longTc, int limit) {
  if (FixedShift(image)) return 3;
  const double product = std::trunc(image[gainRegister] * bdc * longTc / LongTcDivisor(longTc));
  const std::uint64_t x = (std::isfinite(product) && product > 0) ? static_cast<std::uint64_t>(product) : 0;
  const int bits = static_cast<int>(std::bit_width(x));
  return std::min(bits + 1, limit);
}

Shifts NormalisationShifts(const RegisterImage& image, double bdc, int longTc) {
  return {NormalisationShift(image, trace_reg::kSlowRise, bdc, longTc, 15),
          NormalisationShift(image, trace_reg::kFastRise, bdc, longTc, 10)};
}

std::uint16_t TraceControlWord(std::uint16_t previous, const TraceControlFields& f) {
  unsigned word = previous;
  word = (word & ~0x0F00u) | (static_cast<unsigned>(f.shifts.slow & 0xF) << 8);
  word = (word & ~0xF000u) | (static_cast<unsigned>(f.shifts.fast & 0xF) << 12);
  word = (word & ~0x0003u) | static_cast<unsigned>(f.signal & 3);
  word = (word & ~0x0004u) | (f.coincidence ? 0x0004u : 0u);
  word = (word & ~0x00F8u) | (static_cast<unsigned>(f.trigger & 7) << 3);
  word = (word & ~0x0040u) | (f.invert ? 0x0040u : 0u);
  word = (word & ~0x0080u) | (f.random ? 0x0080u : 0u);
  return static_cast<std::uint16_t>(word);
}

TraceScale MakeTraceScale(const RegisterImage& image, int signal, Shifts shifts, double bdc) {
  TraceScale scale;
  scale.signal = signal;
  scale.shifts = shifts;
  scale.slowRise = image[trace_reg::kSlowRise];
  scale.fastRise = image[trace_reg::kFastRise];
  scale.fixedSlowShift = FixedShift(image);
  scale.bdc = bdc;
  return scale;
}

long long NormalisedValue(const TraceScale& s, int analog) {
  const long long a = static_cast<long long>(analog) - s.base;
  switch (s.signal) {
    case 1: return (a * (1LL << std::clamp(s.shifts.fast, 0, 15))) / GainDivisor(s.fastRise, s.bdc);
    case 2: return 2 * a;
    default:
      if (s.fixedSlowShift) return 2 * a;
      return (a * (1LL << std::clamp(s.shifts.slow, 0, 15))) / GainDivisor(s.slowRise, s.bdc);
  }
}

int Deflection(const TraceScale& s, int analog) {
  long long f = NormalisedValue(s, analog) - s.offset;
  const int index = std::clamp(s.vertical, 0, kVerticalIndexMax);
  if (index < 4) {
    f = std::clamp(f, -(1LL << 40), 1LL << 40) * (1LL << (4 - index));
  } else {
    f >>= (index - 4);
  }
  f = std::clamp<long long>(f, -s.limit, s.limit);
  return static_cast<int>(s.wide ? -f : -f / 2);
}

TraceArea FitTraceArea(int left, int top, int availableWidth, int availableHeight) {
  const int size = (availableWidth >= 512 && availableHeight >= 512) ? 512 : 256;
  TraceArea area;
  area.width = area.height = size;
  area.left = left + std::max(0, (availableWidth - size) / 2);
  area.top = top;
  return area;
}

std::vector<Segment> GridSegments(const TraceArea& a) {
  std::vector<Segment> segments;
  const int right = a.left + a.width, bottom = a.top + a.height;
  const int dx = std::max(1, a.width / 16), dy = std::max(1, a.height / 16);
  for (int x = a.left; x <= right; x += dx) segments.push_back({x, a.top, x, bottom});
  for (int y = a.top; y <= bottom; y += dy) segments.push_back({a.left, y, right, y});
  const int tx = std::max(1, a.width / 64), ty = std::max(1, a.height / 64);
  const int cy = a.CentreY(), cx = a.CentreX();
  for (int x = a.left; x <= right; x += tx) segments.push_back({x, cy - 4, x, cy + 5});
  for (int y = a.top; y <= bottom; y += ty) segments.push_back({cx - 4, y, cx + 5, y});
  return segments;
}

int PointStep(int timeBaseValue, bool wide) {
  const int step = timeBaseValue == 8 ? 4 : (timeBaseValue == 10 ? 2 : 1);
  return wide ? 2 * step : step;
}

int DrawnPoints(int timeBaseValue, bool wide) {
  const int step = PointStep(timeBaseValue, wide);
  const int limit = wide ? 510 : 255;
  return std::min(kTraceSamples, (limit + step - 1) / step);
}

int LaneY(const TraceArea& area, int lane, bool set) {
  const int s = area.height / 16;
  const int below = set ? lane * s - s / 2 : (lane == 8 ? 8 * s - 2 : lane * s);
  return area.CentreY() + below;
}

TraceTraces TracePoints(const TraceArea& area, const std::array<std::uint16_t, 2 * kTraceSamples>& block,
                        const TraceScale& scale, int timeBaseValue) {
  TraceTraces traces;
  const int step = PointStep(timeBaseValue, area.Wide());
  const int points = DrawnPoints(timeBaseValue, area.Wide());
  TraceScale s = scale;
  s.wide = area.Wide();
  for (auto& trace : traces) trace.reserve(static_cast<std::size_t>(points));
  for (int k = 0; k < points; ++k) {
    const int x = area.left + k * step;
    const auto analog = static_cast<std::int16_t>(block[static_cast<std::size_t>(2 * k)]);
    const unsigned digital = block[static_cast<std::size_t>(2 * k + 1)];
    traces[0].push_back({x, area.CentreY() + Deflection(s, analog)});
    for (int lane = 1; lane <= 8; ++lane)
      traces[static_cast<std::size_t>(lane)].push_back({x, LaneY(area, lane, ((digital >> (lane - 1)) & 1u) != 0)});
  }
  return traces;
}

}  // namespace mirvo
