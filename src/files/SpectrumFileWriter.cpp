// SaveSpectrumFile: the layout of a spectrum file, written line by line through the safe writer.
#include <algorithm>
#include <charconv>

#include "display/RecordSets.h"
#include "files/SpectrumFile.h"

namespace mirvo {

namespace {

void WriteCounts(SafeFileWriter& out, const SpectrumRecord& record) {
  char line[16];
  for (int j = 0; j < kMaxChannels; ++j) {
    char* p = line;
    if (record.hardRoi[static_cast<std::size_t>(j)] == 1) *p++ = '+';
    p = std::to_chars(p, line + sizeof line - 1, record.hardCounts[j]).ptr;
    *p++ = '\n';
    out.Write(std::string_view(line, static_cast<std::size_t>(p - line)));
  }
}

void WriteSpectrum(SafeFileWriter& out, int i, const SpectrumRecord& record, const std::string& tag) {
  out.Printf("<spectrum%d>\n", i);
  out.Write("  <tag>" + tag + "</tag>\n");
  out.Write("  <caption>" + record.caption + "</caption>\n");
  out.Printf("  <hardsize>%d</hardsize>\n", kMaxChannels);
  out.Printf("  <softsize>%d</softsize>\n", record.softSize);
  out.Write("  <data>\n");
  WriteCounts(out, record);
  out.Write("  </data>\n");
  out.Printf("</spectrum%d>\n", i);
}

void WriteCalibration(SafeFileWriter& out, int i, const CalibrationRecord& stored) {
  out.Printf("<calibration%d>\n", i);
  out.Printf("  <enabled>%s</enabled>\n", stored.enabled != 0 ? "YES" : "NO");
  out.Printf("  <units>%d</units>\n", stored.unitIndex);
  const int points = std::clamp(stored.pointCount, 0, CalibrationRecord::kMaxPoints);
  for (int p = 0; p < points; ++p) {
    const char letter = static_cast<char>('A' + p);
    const auto slot = static_cast<std::size_t>(p);
    out.Printf("  <channel%c>%10.4f</channel%c>\n", letter, stored.channel[slot], letter);
    out.Printf("  <energy%c>%10.4f</energy%c>\n", letter, stored.energy[slot], letter);
    out.Printf("  <use%c>%d</use%c>\n", letter, stored.ticked[slot], letter);
  }
  out.Printf("  <useall>%s</useall>\n", stored.useAll != 0 ? "YES" : "NO");
  out.Printf("</calibration%d>\n", i);
}

}  // namespace

FileResult WriteSpectrumFile(const std::array<const SpectrumRecord*, 4>& saveSet, const std::string& path,
                             const AcquisitionTimes& times, FileSystemOps& fs) {
  SafeFileWriter out(fs);
  if (out.Open(path) != kFileOk) return {kFileCannotCreate, kUnableToSaveFile, path, out.FailureReason()};
  const SpectrumRecord& s0 = *saveSet[0];
  out.Write("<?xml version=\"1.0\"?>\n<Kvetral>\n");
  out.Printf(" <serialnumber>%05u</serialnumber>\n", static_cast<unsigned>(s0.serialNumber));
  for (int i = 0; i < 4; ++i) WriteSpectrum(out, i, *saveSet[static_cast<std::size_t>(i)], s0.tag);
  out.Write("<time>\n");
  out.Printf("  <real>%10.4f</real>\n", times.realSeconds);
  out.Printf("  <live>%10.4f</live>\n", times.liveSeconds);
  out.Printf("  <dead>%10.4f</dead>\n", times.deadPercent);
  out.Write("  <date>" + times.stampText + "</date>\n");
  out.Write("</time>\n");
  for (int i = 0; i < 4; ++i) WriteCalibration(out, i, saveSet[static_cast<std::size_t>(i)]->stored);
  const CalibrationRecord& fom = s0.stored;
  out.Write("<fom>\n");
  out.Printf("  <left1>%d</left1>\n  <right1>%d</right1>\n", fom.fomPeak1First, fom.fomPeak1Last);
  out.Printf("  <left2>%d</left2>\n  <right2>%d</right2>\n", fom.fomPeak2First, fom.fomPeak2Last);
  out.Write("</fom>\n");
  out.Write("<registers>\n");
  out.Printf("  <size>%d</size>\n", 128);
  out.Write("  <data>\n");
  for (std::size_t r = 0; r < 128; ++r) out.Printf("%u\n", static_cast<unsigned>(s0.registers[r]));
  out.Write("  </data>\n");
  out.Write("</registers>\n");
  out.Write("<volatile>\n");
  out.Printf("  <firmware>%5.2f</firmware>\n", s0.firmwareVersion / 100.0);
  out.Printf("  <intemp>%d</intemp>\n", static_cast<int>(s0.internalTemperature));
  out.Printf("  <slowadc>%5.2f</slowadc>\n", s0.slowAdcVolts);
  out.Write("</volatile>\n");
  out.Write("</Kvetral>\n");
  if (out.Commit() != kFileOk) return {kFileWriteFailed, kErrorWritingToFile, path, out.FailureReason()};
  return {kFileOk, "", path};
}

FileResult SaveSpectrumFile(RecordSets& sets, const std::string& path, bool bufferSet, const AcquisitionTimes& times,
                            FileSystemOps& fs) {
  sets.SetSaveSet(bufferSet);
  std::array<const SpectrumRecord*, 4> saveSet{};
  for (int k = 0; k < 4; ++k) saveSet[static_cast<std::size_t>(k)] = &sets.SavePlot(k).Record();
  return WriteSpectrumFile(saveSet, path, times, fs);
}

}  // namespace mirvo
