// LoadSpectrumFile: the two passes over a spectrum file (count the lines, then read them), one
// element per line, into the FILE set.
#include <algorithm>
#include <cmath>
#include <limits>

#include "base/TextFormat.h"
#include "display/RecordSets.h"
#include "files/RegisterFile.h"
#include "files/SpectrumFile.h"
#include "files/TextLines.h"

namespace mirvo {

namespace {

// Step 2 of a load: what every FILE record looks like before the file's lines apply.
void ResetFileRecord(SpectrumRecord& record, const std::string& fileName) {
  record.tag = fileName;
  record.fileLabel = fileName;
  record.hardSize = kMaxChannels;
  std::fill(record.hardCounts, record.hardCounts + kMaxChannels, 0u);
  std::fill(record.softCounts, record.softCounts + kMaxChannels, 0u);
  record.hardRoi.fill(0);
  record.softRoi.fill(0);
  record.stored.pointCount = 0;
  record.stored.useAll = 1;
  std::fill(record.stored.ticked.begin(), record.stored.ticked.begin() + CalibrationRecord::kMaxPoints, 1);
}

// A narrower field takes the nearest value it can hold.
template <typename T>
T Saturate(long long value) {
  return static_cast<T>(std::clamp<long long>(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

// Indexed element names: "spectrum2" with prefix "spectrum" gives 2; -1 for anything else.
int IndexOf(const std::string& name, std::string_view prefix) {
  if (name.size() != prefix.size() + 1 || name.compare(0, prefix.size(), prefix) != 0) return -1;
  const char digit = name.back();
  return digit >= '0' && digit <= '3' ? digit - '0' : -1;
}

// Calibration point elements: "channela" .. "channelj" with prefix "channel" gives 0 .. 9.
int PointOf(const std::string& name, std::string_view prefix) {
  if (name.size() != prefix.size() + 1 || name.compare(0, prefix.size(), prefix) != 0) return -1;
  const char letter = name.back();
  return letter >= 'a' && letter < 'a' + CalibrationRecord::kMaxPoints ? letter - 'a' : -1;
}

class SpectrumFileParser {
 public:
  SpectrumFileParser(RecordSets& sets, LineReader& reader, const std::string& fileName)
      : sets_(sets), reader_(reader), fileName_(fileName) {}

  // What a complete file holds, to tell the user what a damaged one was missing.
  struct Seen {
    std::array<bool, 4> spectrum{}, calibration{};
    std::array<int, 4> counts{};
    bool registers = false, fom = false, volatileValues = false, end = false;
    int lines = 0;
  };
  const Seen& Found() const { return seen_; }

  void Run() {
    while (line_.Read(reader_)) {
      ++seen_.lines;
      const std::string& name = line_.name;
      int k = -1;
      if (line_.Is("</Kvetral>")) seen_.end = true;
      if (name == "serialnumber") {
        if (line_.HasClosing()) File(0).serialNumber = Saturate<std::uint16_t>(ReadInteger(line_.Value()));
      } else if ((k = IndexOf(name, "spectrum")) >= 0) {
        seen_.spectrum[static_cast<std::size_t>(k)] = true;
        ReadSpectrum(k);
      } else if (name == "fom") {
        seen_.fom = true;
        ReadFom();
      } else if (name == "registers") {
        seen_.registers = true;
        std::span<std::uint16_t, kRegisterFileValues> words(File(0).registers.Words().data(), kRegisterFileValues);
        // A data block before any size line has no defined length: it stores nothing.
        ReadRegisterSection(reader_, 0, words);
      } else if ((k = IndexOf(name, "calibration")) >= 0) {
        seen_.calibration[static_cast<std::size_t>(k)] = true;
        ReadCalibration(k);
      } else if (name == "volatile") {
        seen_.volatileValues = true;
        ReadVolatile();
      }
    }
  }

 private:
  SpectrumRecord& File(int k) { return sets_.FilePlot(k).Record(); }
  bool Next() { return line_.Read(reader_); }

  void ReadSpectrum(int k) {
    SpectrumPlot& plot = sets_.FilePlot(k);
    SpectrumRecord& record = plot.Record();
    record.softSize = kMinHardSize;
    const std::string closing = FormatText("</spectrum%d>", k);
    while (Next() && !line_.Is(closing)) {
      const std::string& name = line_.name;
      const bool element = line_.HasClosing();
      if (name == "tag" && element) {
        record.tag = line_.RawValue();
        record.fileLabel = fileName_ + "  (" + record.tag + ")";
      } else if (name == "caption" && element) {
        record.caption = line_.RawValue();
      } else if ((name == "hardsize" || name == "softsize") && element) {
        (name == "hardsize" ? record.hardSize : record.softSize) = ReadInteger(line_.Value());
        record.hardSize = std::clamp(record.hardSize, kMinHardSize, kMaxChannels);
        record.softSize = std::clamp(record.softSize, kMinHardSize, record.hardSize);
        plot.SetViewWidth(record.softSize);
        plot.FitView(1);
      } else if (line_.Contains("<data>")) {
        seen_.counts[static_cast<std::size_t>(k)] = ReadCounts(record);
      }
    }
  }

  // Up to hard size + 1 lines: the counts, then normally the "</data>" line. Returns how many
  // count lines there were.
  int ReadCounts(SpectrumRecord& record) {
    const int hard = record.hardSize;  // always within 512..4096 here
    int counts = 0;
    for (int j = 0; j <= hard && !line_.Is("</data>"); ++j) {
      if (!Next()) return counts;
      if (j < hard) {
        record.hardRoi[static_cast<std::size_t>(j)] = !line_.work.empty() && line_.work[0] == '+' ? 1 : 0;
        record.hardCounts[j] = ReadCount(line_.work);
        if (!line_.Is("</data>")) ++counts;
      }
    }
    return counts;
  }

  void ReadFom() {
    CalibrationRecord& stored = File(0).stored;
    while (Next() && !line_.Is("</fom>")) {
      const std::string& name = line_.name;
      if (name == "left1") stored.fomPeak1First = ReadInteger(line_.Value());
      else if (name == "right1") stored.fomPeak1Last = ReadInteger(line_.Value());
      else if (name == "left2") stored.fomPeak2First = ReadInteger(line_.Value());
      else if (name == "right2") stored.fomPeak2Last = ReadInteger(line_.Value());
    }
  }

  void ReadCalibration(int k) {
    CalibrationRecord& stored = File(k).stored;
    const std::string closing = FormatText("</calibration%d>", k);
    while (Next() && !line_.Is(closing)) {
      const std::string& name = line_.name;
      int p = -1;
      if (name == "enabled") {
        stored.enabled = line_.Value() == "YES" ? 1 : 0;
      } else if (name == "units") {
        stored.unitIndex = ReadInteger(line_.Value());
      } else if (name == "useall") {
        stored.useAll = line_.Value() == "YES" ? 1 : 0;
      } else if ((p = PointOf(name, "channel")) >= 0) {
        stored.channel[static_cast<std::size_t>(p)] = ReadDecimal(line_.Value());
        // Every channel element counts, but never past the ten points a record can list.
        stored.pointCount = std::min(stored.pointCount + 1, CalibrationRecord::kMaxPoints);
      } else if ((p = PointOf(name, "energy")) >= 0) {
        stored.energy[static_cast<std::size_t>(p)] = ReadDecimal(line_.Value());
      } else if ((p = PointOf(name, "use")) >= 0) {
        stored.ticked[static_cast<std::size_t>(p)] = ReadInteger(line_.Value());
      }
    }
  }

  void ReadVolatile() {
    SpectrumRecord& s0 = File(0);
    while (Next() && !line_.Is("</volatile>")) {
      const std::string& name = line_.name;
      // The firmware version is written with two decimals of version / 100: rounding brings back
      // the number that was written (1.23 x 100 is 122.99999...).
      if (name == "firmware") s0.firmwareVersion = Saturate<std::uint16_t>(std::llround(ReadDecimal(line_.Value()) * 100.0));
      else if (name == "intemp") s0.internalTemperature = Saturate<std::int16_t>(ReadInteger(line_.Value()));
      else if (name == "slowadc") s0.slowAdcVolts = ReadDecimal(line_.Value());
      else if (name == "bias") s0.bias = ReadInteger(line_.Value());
      // "cpwr" is recognised and ignored.
    }
  }

  RecordSets& sets_;
  LineReader& reader_;
  const std::string& fileName_;
  FileLine line_;
  Seen seen_;
};

// What a file that loaded was missing: the loader keeps what it could read, and this says the rest.
std::vector<std::string> DescribeDamage(const SpectrumFileParser::Seen& seen, RecordSets& sets) {
  std::vector<std::string> damage;
  if (seen.lines == 0) {
    damage.push_back("the file is empty: every value reads as 0");
    return damage;
  }
  for (int k = 0; k < 4; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const int hard = sets.FilePlot(k).Record().hardSize;
    if (!seen.spectrum[i])
      damage.push_back(FormatText("spectrum S%d is missing: its counts read as 0", k));
    else if (seen.counts[i] < hard)
      damage.push_back(FormatText("spectrum S%d holds %d of its %d channels: the rest read as 0", k, seen.counts[i], hard));
  }
  if (!seen.registers) damage.push_back("the register section is missing: times, start stamp and settings read as 0");
  for (int k = 0; k < 4; ++k)
    if (!seen.calibration[static_cast<std::size_t>(k)]) damage.push_back(FormatText("the calibration of S%d is missing", k));
  if (!seen.fom) damage.push_back("the FOM section is missing");
  if (!seen.volatileValues) damage.push_back("the firmware, temperature and slow ADC section is missing");
  if (!seen.end) damage.push_back("the file ends early (truncated?)");
  return damage;
}

}  // namespace

FileResult LoadSpectrumStream(RecordSets& sets, std::FILE* stream, const std::string& fileName,
                              std::vector<std::string>* damage) {
  std::rewind(stream);
  const int lines = CountLines(stream);
  if (lines < 0) return {kFileCannotOpen, kUnableToOpenFile, fileName};
  for (int k = 0; k < 4; ++k) ResetFileRecord(sets.FilePlot(k).Record(), fileName);
  LineReader reader(stream, lines);
  SpectrumFileParser parser(sets, reader, fileName);
  parser.Run();
  for (int k = 0; k < 4; ++k) {
    SpectrumPlot& plot = sets.FilePlot(k);
    SpectrumRecord& record = plot.Record();
    // A hard size that comes after the counts leaves no counts beyond it: channels past the hard
    // size always hold 0, whatever order the file gives its lines in.
    std::fill(record.hardCounts + record.hardSize, record.hardCounts + kMaxChannels, 0u);
    std::fill(record.hardRoi.begin() + record.hardSize, record.hardRoi.end(), std::uint8_t{0});
    plot.ApplySizes(record.hardSize, record.softSize);
  }
  sets.SyncShownSet();
  if (damage != nullptr) *damage = DescribeDamage(parser.Found(), sets);
  return {kFileOk, "", fileName};
}

FileResult LoadSpectrumFile(RecordSets& sets, const std::string& path) {
  const FilePtr file = OpenRegularFile(path);
  if (!file) return {kFileCannotOpen, kUnableToOpenFile, path};
  FileResult result = LoadSpectrumStream(sets, file.get(), FileNameOf(path));
  result.path = path;
  return result;
}

}  // namespace mirvo
