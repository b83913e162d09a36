#include "files/N42Writer.h"

#include <charconv>

#include "base/TextFormat.h"
#include "base/Clock.h"

namespace mirvo {

namespace {

struct DetectorKind {
  const char* category;
  const char* description;
};
// S0 is neither gamma nor neutron: "Other" needs a description, and every detector gets one.
constexpr std::array<DetectorKind, 4> kDetectors = {{
    {"Other", "Pulse-shape (TIPS) histogram of all pulses"},
    {"Gamma", "Energy spectrum of all pulses (gamma and neutron)"},
    {"Gamma", "Energy spectrum of the pulses classified as gamma"},
    {"Neutron", "Energy spectrum of the pulses classified as neutron"},
}};

const char* Category(const ExchangeSpectrum& spectrum) {
  return spectrum.index >= 0 && spectrum.index < 4 ? kDetectors[static_cast<std::size_t>(spectrum.index)].category
                                                    : "Other";
}

std::string IdSuffix(const ExchangeSpectrum& spectrum, std::size_t position) {
  return spectrum.index >= 0 ? FormatText("S%d", spectrum.index) : FormatText("X%zu", position);
}

void Element(std::string& out, const char* indent, const char* name, const std::string& text) {
  out += indent;
  out += '<';
  out += name;
  out += '>';
  out += XmlEscaped(text);
  out += "</";
  out += name;
  out += ">\n";
}

void AppendCounts(std::string& out, const std::vector<std::uint32_t>& counts) {
  char number[16];
  for (std::size_t j = 0; j < counts.size(); ++j) {
    if (j % 16 == 0) out += "\n        ";
    else out += ' ';
    const auto result = std::to_chars(number, number + sizeof number, counts[j]);
    out.append(number, result.ptr);
  }
  out += "\n      ";
}

std::int64_t InstantMs(const ZonedTime& zoned) {
  return UtcMillisecondsFromCivil(zoned.time) - static_cast<std::int64_t>(zoned.offsetMinutes) * 60000;
}

}  // namespace

std::string N42Document(const ExchangeSet& set, int only, std::int64_t documentUtcMs) {
  std::vector<std::size_t> chosen;
  for (std::size_t i = 0; i < set.spectra.size(); ++i)
    if (only == kAllSpectra || set.spectra[i].index == only) chosen.push_back(i);

  std::string out;
  out.reserve(32768 + chosen.size() * 40000);
  const CivilTime documentTime = CivilFromUtcMilliseconds(documentUtcMs);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<RadInstrumentData xmlns=\"";
  out += kN42Namespace;
  out += "\" n42DocDateTime=\"" + DateTimeText(documentTime, 0) + "\">\n";
  Element(out, "  ", "RadInstrumentDataCreatorName", kExchangeCreator);

  out += "  <RadInstrumentInformation id=\"Instrument\">\n";
  Element(out, "    ", "RadInstrumentManufacturerName", kExchangeManufacturer);
  if (set.serialNumber) Element(out, "    ", "RadInstrumentIdentifier", FormatText("%05u", unsigned{*set.serialNumber}));
  Element(out, "    ", "RadInstrumentModelName", kExchangeModel);
  Element(out, "    ", "RadInstrumentDescription",
          "Digital pulse-processing multichannel analyser with pulse-shape discrimination");
  Element(out, "    ", "RadInstrumentClassCode", "Other");
  const auto version = [&](const char* component, const std::string& text) {
    out += "    <RadInstrumentVersion>\n";
    Element(out, "      ", "RadInstrumentComponentName", component);
    Element(out, "      ", "RadInstrumentComponentVersion", text);
    out += "    </RadInstrumentVersion>\n";
  };
  version("Software", kExchangeCreator);
  if (set.firmwareVersion) version("Firmware", FixedText(*set.firmwareVersion / 100.0, 2));
  if (set.fpgaVersion) version("FPGA", FormatText("%u", unsigned{*set.fpgaVersion}));
  out += "  </RadInstrumentInformation>\n";

  for (std::size_t position : chosen) {
    const ExchangeSpectrum& spectrum = set.spectra[position];
    const std::string id = IdSuffix(spectrum, position);
    out += "  <RadDetectorInformation id=\"Detector" + id + "\">\n";
    Element(out, "    ", "RadDetectorName", spectrum.name);
    Element(out, "    ", "RadDetectorCategoryCode", Category(spectrum));
    Element(out, "    ", "RadDetectorKindCode", "Other");
    std::string description = spectrum.index >= 0 && spectrum.index < 4
                                  ? kDetectors[static_cast<std::size_t>(spectrum.index)].description
                                  : "Spectrum";
    if (spectrum.caption) description = *spectrum.caption + ": " + description;
    Element(out, "    ", "RadDetectorDescription", description);
    out += "  </RadDetectorInformation>\n";
  }

  for (std::size_t position : chosen) {
    const ExchangeSpectrum& spectrum = set.spectra[position];
    out += "  <EnergyCalibration id=\"Calibration" + IdSuffix(spectrum, position) + "\">\n";
    if (!spectrum.calibrated) Element(out, "    ", "Remark", "Not calibrated: the energies are the channel numbers");
    const std::array<double, 3> keV = spectrum.calibrated ? spectrum.keV : std::array<double, 3>{0.0, 1.0, 0.0};
    Element(out, "    ", "CoefficientValues", NumberText(keV[0]) + " " + NumberText(keV[1]) + " " + NumberText(keV[2]));
    out += "  </EnergyCalibration>\n";
  }

  out += "  <RadMeasurement id=\"Measurement\">\n";
  // No date in the future: a start after the document's time is written as that time.
  std::optional<ZonedTime> start = set.start;
  if (start && InstantMs(*start) > documentUtcMs) {
    Element(out, "    ", "Remark", "The start time stamp lay after the document time and was replaced by it");
    start = ZonedTime{documentTime, true, 0};
  }
  if (start) {
    Element(out, "    ", "Remark", std::string("Start time kind: ") + KindName(set.kind));
  } else {
    Element(out, "    ", "Remark", "Start time kind: NONE (no start time stamp)");
  }
  Element(out, "    ", "MeasurementClassCode", "Foreground");
  const ZonedTime noStamp{CivilTime{2000, 1, 1, 0, 0, 0, 0, 6}, true, 0};
  const ZonedTime& written = start ? *start : noStamp;
  Element(out, "    ", "StartDateTime", DateTimeText(written.time, written.offsetMinutes));
  Element(out, "    ", "RealTimeDuration", DurationText(set.realSeconds.value_or(0.0)));
  for (std::size_t position : chosen) {
    const ExchangeSpectrum& spectrum = set.spectra[position];
    const std::string id = IdSuffix(spectrum, position);
    out += "    <Spectrum id=\"Spectrum" + id + "\" radDetectorInformationReference=\"Detector" + id +
           "\" energyCalibrationReference=\"Calibration" + id + "\">\n";
    if (spectrum.caption) Element(out, "      ", "Remark", "Caption: " + *spectrum.caption);
    if (spectrum.tag) Element(out, "      ", "Remark", "Tag: " + *spectrum.tag);
    if (spectrum.softSize) Element(out, "      ", "Remark", FormatText("Soft size: %d", *spectrum.softSize));
    Element(out, "      ", "LiveTimeDuration", DurationText(spectrum.liveSeconds.value_or(0.0)));
    out += "      <ChannelData compressionCode=\"None\">";
    AppendCounts(out, spectrum.counts);
    out += "</ChannelData>\n";
    out += "    </Spectrum>\n";
  }
  for (std::size_t position : chosen) {
    const ExchangeSpectrum& spectrum = set.spectra[position];
    if (std::string_view(Category(spectrum)) != "Neutron") continue;
    const std::string id = IdSuffix(spectrum, position);
    double total = 0.0;
    for (std::uint32_t count : spectrum.counts) total += count;
    out += "    <GrossCounts id=\"GrossCounts" + id + "\" radDetectorInformationReference=\"Detector" + id + "\">\n";
    Element(out, "      ", "LiveTimeDuration", DurationText(spectrum.liveSeconds.value_or(0.0)));
    Element(out, "      ", "CountData", NumberText(total));
    out += "    </GrossCounts>\n";
  }
  out += "  </RadMeasurement>\n";
  out += "</RadInstrumentData>\n";
  return out;
}

FileResult WriteN42File(const std::array<const SpectrumRecord*, 4>& records, int only, const std::string& path,
                        const AcquisitionTimes& times, std::int64_t documentUtcMs, FileSystemOps& fs) {
  const std::string text = N42Document(ExchangeFromRecords(records, times), only, documentUtcMs);
  SafeFileWriter out(fs);
  if (out.Open(path) != kFileOk) return {kFileCannotCreate, kUnableToSaveFile, path};
  out.Write(text);
  if (out.Commit() != kFileOk) return {kFileWriteFailed, kErrorWritingToFile, path};
  return {kFileOk, "", path};
}

}  // namespace mirvo
