#include "files/SpeWriter.h"

#include <charconv>

#include "base/TextFormat.h"

namespace mirvo {

std::string SpeDocument(const ExchangeSet& set, const ExchangeSpectrum& spectrum) {
  std::string out;
  out.reserve(64 * 1024);
  const auto line = [&](const std::string& text) {
    out += text;
    out += "\r\n";
  };
  // One-line texts: a line break inside a tag or caption would start a new line of the file.
  const auto oneLine = [](std::string text) {
    for (char& c : text)
      if (c == '\r' || c == '\n') c = ' ';
    return text;
  };
  line("$SPEC_ID:");
  line(oneLine(spectrum.tag.value_or(spectrum.name)));
  line("$SPEC_REM:");
  line(oneLine(FormatText("%s %s: %s", kExchangeCreator, spectrum.name.c_str(), spectrum.caption.value_or("").c_str())));
  if (set.serialNumber) line(FormatText("%s serial number: %05u", kExchangeManufacturer, unsigned{*set.serialNumber}));
  line(std::string("Start time kind: ") + (set.start ? KindName(set.kind) : "NONE"));
  if (spectrum.softSize) line(FormatText("Soft size: %d", *spectrum.softSize));
  line("$DATE_MEA:");
  const CivilTime t = set.start ? set.start->time : CivilTime{2000, 1, 1, 0, 0, 0, 0, 6};
  line(FormatText("%02d/%02d/%04d %02d:%02d:%02d", t.month, t.day, t.year, t.hour, t.minute, t.second));
  line("$MEAS_TIM:");
  line(NumberText(spectrum.liveSeconds.value_or(0.0)) + " " + NumberText(set.realSeconds.value_or(0.0)));
  line("$DATA:");
  line(FormatText("0 %zu", spectrum.counts.empty() ? std::size_t{0} : spectrum.counts.size() - 1));
  char number[16];
  for (std::uint32_t count : spectrum.counts) {
    const auto result = std::to_chars(number, number + sizeof number, count);
    out.append(number, result.ptr);
    out += "\r\n";
  }
  line("$ROI:");
  line(FormatText("%zu", spectrum.rois.size()));
  for (const auto& [first, last] : spectrum.rois) line(FormatText("%d %d", first, last));
  line("$PRESETS:");
  line("None");
  line("0");
  line("0");
  if (spectrum.calibrated) {
    const std::string coefficients =
        NumberText(spectrum.keV[0]) + " " + NumberText(spectrum.keV[1]) + " " + NumberText(spectrum.keV[2]);
    line("$ENER_FIT:");
    line(coefficients);
    line("$MCA_CAL:");
    line("3");
    line(coefficients + " keV");
  }
  return out;
}

FileResult WriteSpeFile(const std::array<const SpectrumRecord*, 4>& records, int spectrum, const std::string& path,
                        const AcquisitionTimes& times, FileSystemOps& fs) {
  const ExchangeSet set = ExchangeFromRecords(records, times);
  const std::string text = SpeDocument(set, set.spectra.at(static_cast<std::size_t>(spectrum & 3)));
  SafeFileWriter out(fs);
  if (out.Open(path) != kFileOk) return {kFileCannotCreate, kUnableToSaveFile, path};
  out.Write(text);
  if (out.Commit() != kFileOk) return {kFileWriteFailed, kErrorWritingToFile, path};
  return {kFileOk, "", path};
}

}  // namespace mirvo
