// The spectra of a set as the interchange formats (N42.42, IAEA SPE) carry them: counts of the
// hard channels, live time, an energy calibration in keV over hard channels, texts, the run's real
// time and start. The writers take it from four records and the acquisition panel's times; the
// readers produce it and ApplyExchangeSet loads it into the FILE set.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "files/AcquisitionTimes.h"
#include "files/ExchangeText.h"
#include "files/FileResult.h"

namespace mirvo {

class RecordSets;
struct CalibrationRecord;
struct SpectrumRecord;

inline constexpr const char* kExchangeCreator = "Mirvo-PSD";
inline constexpr const char* kExchangeManufacturer = "Kvetral";
inline constexpr const char* kExchangeModel = "Kvetral digital spectrometer";
// The detector names this program writes for S0..S3; a file of this program is matched by them.
inline constexpr std::array<const char*, 4> kExchangeDetectorNames = {"S0", "S1", "S2", "S3"};

enum class StampKind { Unknown, Utc, System, Local };

struct ExchangeSpectrum {
  int index = -1;  // 0..3 when the file names the spectrum with this program's detector names
  std::string name;
  std::optional<std::string> caption;
  std::optional<std::string> tag;
  std::optional<int> softSize;
  std::vector<std::uint32_t> counts;
  std::optional<double> liveSeconds;
  bool calibrated = false;
  std::array<double, 3> keV{0.0, 1.0, 0.0};  // E = keV[0] + keV[1] ch + keV[2] ch^2, hard channels
  std::vector<std::pair<int, int>> rois;     // first and last hard channel of each marked ROI
};

struct ExchangeSet {
  bool fromThisProgram = false;
  std::optional<std::uint16_t> serialNumber;
  std::optional<std::uint16_t> firmwareVersion;  // version x 100
  std::optional<std::uint16_t> fpgaVersion;
  std::optional<double> realSeconds;
  std::optional<ZonedTime> start;  // empty: no start stamp ("WAITING FOR START")
  StampKind kind = StampKind::Unknown;
  std::vector<ExchangeSpectrum> spectra;
};

// The calibration a record's stored points give, in keV over hard channels: false (and the
// identity) without two usable points or with a unit that is not an energy ("chn", "Volt", "Arb").
bool CalibrationInKeV(const CalibrationRecord& stored, std::array<double, 3>& keV);

// The start as the panel's stamp text and kind text give it: UTC and SYSTEM stamps are UTC, LOCAL
// ones local time with the offset the time-zone rules give for that moment. Empty for a text that
// is not a stamp ("WAITING FOR START").
std::optional<ZonedTime> StartFromTimes(const AcquisitionTimes& times);
StampKind KindFromText(const std::string& kindText);
const char* KindName(StampKind kind);  // "UTC", "SYSTEM", "LOCAL", "" for Unknown

// Four records ([0] is S0) and the panel's times as the formats carry them.
ExchangeSet ExchangeFromRecords(const std::array<const SpectrumRecord*, 4>& records, const AcquisitionTimes& times);

// Loads a read set into the FILE set: each FILE record is reset (counts, ROI marks, calibration
// points, tag and label = the file name), then the spectra go to S0..S3 by their detector names when
// the file comes from this program, else the first one goes to S1 and `notes` says so. Channels up to
// 4096 are kept (hard size = their number, at least 512: fewer are padded with zeros and noted);
// more refuse the whole load with nothing changed. A calibration becomes three points (two for a
// straight line) in keV that give back its coefficients. Times and the start go to S0's registers.
FileResult ApplyExchangeSet(RecordSets& sets, const ExchangeSet& set, const std::string& fileName,
                            std::vector<std::string>& notes);

}  // namespace mirvo
