#include "files/SpectrumExchange.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "base/TextFormat.h"
#include "display/CalibrationFit.h"
#include "display/RecordSets.h"
#include "protocol/RegisterImage.h"
#include "protocol/StartStampRegisters.h"
#include "timesvc/StartTimeStamp.h"

namespace mirvo {

namespace {

constexpr int kEvUnit = 1;
constexpr int kKevUnit = 2;
constexpr int kMevUnit = 3;

// Local time offset from UTC in minutes for a local civil time under the process's rules.
int LocalOffsetMinutes(const CivilTime& local) {
  std::tm tm{};
  tm.tm_year = local.year - 1900;
  tm.tm_mon = local.month - 1;
  tm.tm_mday = local.day;
  tm.tm_hour = local.hour;
  tm.tm_min = local.minute;
  tm.tm_sec = local.second;
  tm.tm_isdst = -1;
  std::tm copy = tm;
  const std::time_t asLocal = std::mktime(&copy);
  const std::time_t asUtc = timegm(&tm);
  if (asLocal == static_cast<std::time_t>(-1)) return 0;
  return static_cast<int>((asUtc - asLocal) / 60);
}

// "DD/MM/YYYY  HH:MM:SS".
bool ParseStampText(const std::string& text, CivilTime& t) {
  return std::sscanf(text.c_str(), "%2d/%2d/%4d %2d:%2d:%2d", &t.day, &t.month, &t.year, &t.hour, &t.minute,
                     &t.second) == 6 &&
         t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour <= 23 && t.minute <= 59 &&
         t.second <= 59 && t.year > 2000;
}

// The inverse of the counters' reading: whole hundredths in the tick registers, the rest in
// sample-clock units of 16 periods in the fraction register (as much of it as 16 bits hold).
void SetTimeRegisters(RegisterImage& image, unsigned low, unsigned high, unsigned fraction, double seconds,
                      double samplePeriodUs) {
  if (!std::isfinite(seconds) || seconds < 0.0) seconds = 0.0;
  const double hundredths = std::floor(seconds * 100.0 + 1e-6);
  const auto ticks = static_cast<std::uint32_t>(std::min(hundredths, 4294967295.0));
  const double rest = std::max(0.0, seconds - ticks * 0.01);
  const double unit = samplePeriodUs * 16e-6;
  const double parts = unit > 0.0 ? std::round(rest / unit) : 0.0;
  image.Set(low, static_cast<std::uint16_t>(ticks & 0xFFFFu));
  image.Set(high, static_cast<std::uint16_t>(ticks >> 16));
  image.Set(fraction, static_cast<std::uint16_t>(std::clamp(parts, 0.0, 65535.0)));
}

void ResetFileRecord(SpectrumRecord& record, const std::string& fileName) {
  record.tag = fileName;
  record.fileLabel = fileName;
  record.hardSize = kMaxChannels;
  record.softSize = kMaxChannels;
  std::fill(record.hardCounts, record.hardCounts + kMaxChannels, 0u);
  std::fill(record.softCounts, record.softCounts + kMaxChannels, 0u);
  record.hardRoi.fill(0);
  record.softRoi.fill(0);
  CalibrationRecord& stored = record.stored;
  stored.pointCount = 0;
  stored.useAll = 1;
  stored.enabled = 0;
  std::fill(stored.ticked.begin(), stored.ticked.begin() + CalibrationRecord::kMaxPoints, 1);
}

void LoadCalibration(CalibrationRecord& stored, const std::array<double, 3>& keV, int hardSize) {
  const auto energy = [&](double ch) { return keV[0] + keV[1] * ch + keV[2] * ch * ch; };
  const double last = hardSize - 1;
  std::vector<double> channels = {0.0, last};
  if (keV[2] != 0.0) channels = {0.0, std::floor(last / 2.0), last};
  stored.pointCount = static_cast<int>(channels.size());
  for (std::size_t p = 0; p < channels.size(); ++p) {
    stored.channel[p] = channels[p];
    stored.energy[p] = energy(channels[p]);
    stored.ticked[p] = 1;
  }
  stored.useAll = 1;
  stored.unitIndex = kKevUnit;
  stored.enabled = 1;
}

}  // namespace

bool CalibrationInKeV(const CalibrationRecord& stored, std::array<double, 3>& keV) {
  keV = {0.0, 1.0, 0.0};
  double scale = 0.0;
  if (stored.unitIndex == kEvUnit) scale = 0.001;
  else if (stored.unitIndex == kKevUnit) scale = 1.0;
  else if (stored.unitIndex == kMevUnit) scale = 1000.0;
  else return false;
  FitCoefficients fit;
  if (FitPoints(stored, fit) != kFitDone) return false;
  const std::array<double, 3> values = {fit.c * scale, fit.b * scale, fit.a * scale};
  if (!std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); })) return false;
  keV = values;
  return true;
}

StampKind KindFromText(const std::string& kindText) {
  if (kindText == kStartTimeUtcText) return StampKind::Utc;
  if (kindText == kStartTimeLocalText) return StampKind::Local;
  if (kindText == kStartTimeSystemText) return StampKind::System;
  return StampKind::Unknown;
}

const char* KindName(StampKind kind) {
  switch (kind) {
    case StampKind::Utc: return "UTC";
    case StampKind::System: return "SYSTEM";
    case StampKind::Local: return "LOCAL";
    case StampKind::Unknown: break;
  }
  return "";
}

std::optional<ZonedTime> StartFromTimes(const AcquisitionTimes& times) {
  ZonedTime zoned;
  if (!ParseStampText(times.stampText, zoned.time)) return std::nullopt;
  zoned.hasOffset = true;
  zoned.offsetMinutes = KindFromText(times.kindText) == StampKind::Local ? LocalOffsetMinutes(zoned.time) : 0;
  return zoned;
}

ExchangeSet ExchangeFromRecords(const std::array<const SpectrumRecord*, 4>& records, const AcquisitionTimes& times) {
  ExchangeSet set;
  const SpectrumRecord& s0 = *records[0];
  set.fromThisProgram = true;
  set.serialNumber = s0.serialNumber;
  set.firmwareVersion = s0.firmwareVersion;
  set.fpgaVersion = s0.registers.Get(reg::kFpgaVersion);
  set.realSeconds = times.realSeconds;
  set.start = StartFromTimes(times);
  set.kind = KindFromText(times.kindText);
  for (int k = 0; k < 4; ++k) {
    const SpectrumRecord& record = *records[static_cast<std::size_t>(k)];
    ExchangeSpectrum spectrum;
    spectrum.index = k;
    spectrum.name = kExchangeDetectorNames[static_cast<std::size_t>(k)];
    spectrum.caption = record.caption;
    spectrum.tag = record.tag;
    spectrum.softSize = record.softSize;
    const int hard = std::clamp(record.hardSize, kMinHardSize, kMaxChannels);
    spectrum.counts.assign(record.hardCounts, record.hardCounts + hard);
    spectrum.liveSeconds = times.liveSeconds;
    spectrum.calibrated = CalibrationInKeV(record.stored, spectrum.keV);
    for (int j = 0; j < hard; ++j) {
      if (record.hardRoi[static_cast<std::size_t>(j)] == 0) continue;
      const int first = j;
      while (j + 1 < hard && record.hardRoi[static_cast<std::size_t>(j + 1)] != 0) ++j;
      spectrum.rois.emplace_back(first, j);
    }
    set.spectra.push_back(std::move(spectrum));
  }
  return set;
}

FileResult ApplyExchangeSet(RecordSets& sets, const ExchangeSet& set, const std::string& fileName,
                            std::vector<std::string>& notes) {
  if (set.spectra.empty()) return {kFileCannotOpen, kUnableToOpenFile, fileName};
  // Where each spectrum of the file goes: by name for a file of this program, else the first to S1.
  std::array<const ExchangeSpectrum*, 4> target{};
  bool byName = set.fromThisProgram;
  for (const ExchangeSpectrum& spectrum : set.spectra) {
    if (spectrum.index < 0 || spectrum.index > 3 || target[static_cast<std::size_t>(spectrum.index)] != nullptr) {
      byName = false;
      break;
    }
    target[static_cast<std::size_t>(spectrum.index)] = &spectrum;
  }
  std::vector<std::string> told;
  if (!byName) {
    target = {};
    target[1] = &set.spectra.front();
    told.push_back("The file does not come from Mirvo-PSD: its first spectrum was loaded into S1.");
    if (set.spectra.size() > 1)
      told.push_back(FormatText("%zu more spectra in the file were not loaded.", set.spectra.size() - 1));
  }
  for (int k = 0; k < 4; ++k) {
    const ExchangeSpectrum* spectrum = target[static_cast<std::size_t>(k)];
    if (spectrum == nullptr) continue;
    if (spectrum->counts.size() > static_cast<std::size_t>(kMaxChannels))
      return {kFileCannotOpen,
              FormatText("%s\nThe spectrum has %zu channels; at most %d can be loaded.", kUnableToOpenFile,
                         spectrum->counts.size(), kMaxChannels),
              fileName};
    if (spectrum->counts.empty()) return {kFileCannotOpen, kUnableToOpenFile, fileName};
  }

  for (int k = 0; k < 4; ++k) ResetFileRecord(sets.FilePlot(k).Record(), fileName);
  std::optional<double> live;
  for (int k = 0; k < 4; ++k) {
    const ExchangeSpectrum* spectrum = target[static_cast<std::size_t>(k)];
    if (spectrum == nullptr) continue;
    SpectrumRecord& record = sets.FilePlot(k).Record();
    const int n = static_cast<int>(spectrum->counts.size());
    std::copy(spectrum->counts.begin(), spectrum->counts.end(), record.hardCounts);
    record.hardSize = std::max(n, kMinHardSize);
    record.softSize = record.hardSize;
    if (n < kMinHardSize)
      told.push_back(FormatText("S%d: the file holds %d channels; padded with zeros to %d.", k, n, kMinHardSize));
    for (const auto& [first, last] : spectrum->rois)
      for (int j = std::max(first, 0); j <= last && j < n; ++j) record.hardRoi[static_cast<std::size_t>(j)] = 1;
    if (spectrum->softSize) record.softSize = std::clamp(*spectrum->softSize, kMinHardSize, record.hardSize);
    if (spectrum->caption) record.caption = *spectrum->caption;
    if (spectrum->tag) {
      record.tag = *spectrum->tag;
      record.fileLabel = fileName + "  (" + record.tag + ")";
    }
    if (spectrum->calibrated) LoadCalibration(record.stored, spectrum->keV, record.hardSize);
    if (!live && spectrum->liveSeconds) live = spectrum->liveSeconds;
  }

  SpectrumRecord& s0 = sets.FilePlot(0).Record();
  RegisterImage& image = s0.registers;
  const double period = SamplePeriodFromRegisters(image);
  SetTimeRegisters(image, reg::kRealTicksLow, reg::kRealTicksHigh, reg::kRealFraction, set.realSeconds.value_or(0.0),
                   period);
  SetTimeRegisters(image, reg::kLiveTicksLow, reg::kLiveTicksHigh, reg::kLiveFraction,
                   live.value_or(set.realSeconds.value_or(0.0)), period);
  StartStampWords stamp;
  if (set.start && set.start->time.year > 2000 && set.start->time.year < 2128) {
    StampKind kind = set.kind;
    if (kind == StampKind::Unknown) kind = set.start->hasOffset && set.start->offsetMinutes == 0 ? StampKind::System : StampKind::Local;
    stamp.utc = kind == StampKind::Utc;
    stamp.system = kind == StampKind::System;
    CivilTime time = set.start->time;
    time.second = std::min(time.second, 59);
    stamp.dateWord = PackStartDate(time);
    stamp.timeWord = PackStartTime(time);
  }
  WriteStartStamp(image, stamp);
  if (set.serialNumber) s0.serialNumber = *set.serialNumber;
  if (set.firmwareVersion) s0.firmwareVersion = *set.firmwareVersion;
  if (set.fpgaVersion) image.Set(reg::kFpgaVersion, *set.fpgaVersion);

  for (int k = 0; k < 4; ++k) {
    SpectrumPlot& plot = sets.FilePlot(k);
    plot.ApplySizes(plot.Record().hardSize, plot.Record().softSize);
  }
  sets.SyncShownSet();
  notes.insert(notes.end(), told.begin(), told.end());
  return {kFileOk, "", fileName};
}

}  // namespace mirvo
