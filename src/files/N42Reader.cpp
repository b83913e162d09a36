#include "files/N42Reader.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>

namespace mirvo {

namespace {

// More channels than this in one spectrum are not a spectrum anyone can load: stop expanding.
constexpr std::size_t kChannelLimit = 1u << 20;

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct XmlFree {
  void operator()(xmlChar* text) const { xmlFree(text); }
};

bool Named(const xmlNode* node, const char* name) {
  return node != nullptr && node->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

// The text of an element: its text and CDATA children joined (entity references are not expanded).
std::string Text(const xmlNode* node) {
  std::string text;
  for (const xmlNode* child = node->children; child != nullptr; child = child->next)
    if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) && child->content != nullptr)
      text += reinterpret_cast<const char*>(child->content);
  return text;
}

std::string Attribute(const xmlNode* node, const char* name) {
  std::unique_ptr<xmlChar, XmlFree> value(xmlGetProp(node, reinterpret_cast<const xmlChar*>(name)));
  return value ? std::string(reinterpret_cast<const char*>(value.get())) : std::string();
}

template <typename Visit>
void Children(const xmlNode* node, const char* name, Visit&& visit) {
  for (const xmlNode* child = node->children; child != nullptr; child = child->next)
    if (Named(child, name)) visit(child);
}

const xmlNode* FirstChild(const xmlNode* node, const char* name) {
  for (const xmlNode* child = node->children; child != nullptr; child = child->next)
    if (Named(child, name)) return child;
  return nullptr;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::strchr(" \t\r\n", text.front()) != nullptr) text.remove_prefix(1);
  while (!text.empty() && std::strchr(" \t\r\n", text.back()) != nullptr) text.remove_suffix(1);
  return text;
}

// "Caption: GAMMA" with prefix "Caption:" gives "GAMMA".
std::optional<std::string> RemarkValue(const std::string& remark, std::string_view prefix) {
  const std::string_view text = Trim(remark);
  if (text.substr(0, prefix.size()) != prefix) return std::nullopt;
  std::string_view value = text.substr(prefix.size());
  if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  return std::string(value);
}

struct Calibration {
  bool calibrated = false;
  std::array<double, 3> keV{0.0, 1.0, 0.0};
};

Calibration ReadCalibration(const xmlNode* node) {
  Calibration calibration;
  const xmlNode* values = FirstChild(node, "CoefficientValues");
  if (values == nullptr) return calibration;
  std::vector<double> terms;
  bool ok = true;
  ForEachToken(Text(values), [&](std::string_view token) {
    const std::optional<double> value = ParseNumber(token);
    if (!value) ok = false;
    else terms.push_back(*value);
    return ok && terms.size() <= 16;
  });
  if (!ok || terms.size() < 2 || terms.size() > 16) return calibration;
  // Only the quadratic form E = c0 + c1 ch + c2 ch^2 fits a record: higher terms must be 0.
  if (std::any_of(terms.begin() + std::min<std::ptrdiff_t>(3, static_cast<std::ptrdiff_t>(terms.size())), terms.end(),
                  [](double v) { return v != 0.0; }))
    return calibration;
  terms.resize(3, 0.0);
  if (terms[1] == 0.0 && terms[2] == 0.0) return calibration;
  if (terms[0] == 0.0 && terms[1] == 1.0 && terms[2] == 0.0) return calibration;  // identity: channels
  calibration.calibrated = true;
  calibration.keV = {terms[0], terms[1], terms[2]};
  return calibration;
}

StampKind KindFromName(std::string_view name) {
  if (name.substr(0, 3) == "UTC") return StampKind::Utc;
  if (name.substr(0, 6) == "SYSTEM") return StampKind::System;
  if (name.substr(0, 5) == "LOCAL") return StampKind::Local;
  return StampKind::Unknown;
}

void ReadInstrument(const xmlNode* node, ExchangeSet& set) {
  if (const xmlNode* id = FirstChild(node, "RadInstrumentIdentifier")) {
    const std::optional<long long> serial = ParseWholeInteger(Text(id));
    if (serial && *serial >= 0 && *serial <= 65535) set.serialNumber = static_cast<std::uint16_t>(*serial);
  }
  Children(node, "RadInstrumentVersion", [&](const xmlNode* version) {
    const xmlNode* name = FirstChild(version, "RadInstrumentComponentName");
    const xmlNode* value = FirstChild(version, "RadInstrumentComponentVersion");
    if (name == nullptr || value == nullptr) return;
    const std::string component(Trim(Text(name)));
    const std::optional<double> number = ParseNumber(Text(value));
    if (!number || *number < 0.0) return;
    if (component == "Firmware" && *number * 100.0 <= 65535.0)
      set.firmwareVersion = static_cast<std::uint16_t>(std::llround(*number * 100.0));
    else if (component == "FPGA" && *number <= 65535.0)
      set.fpgaVersion = static_cast<std::uint16_t>(std::llround(*number));
  });
}

void Silent(void*, const char*, ...) {}
void SilentStructured(void*, xmlErrorPtr) {}

// The parser's messages would go to standard error: a refusal is reported as "Unable to Open File".
// The handlers are per thread, so they are set before every parse.
void EnsureParserReady() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
  xmlSetGenericErrorFunc(nullptr, Silent);
  xmlSetStructuredErrorFunc(nullptr, SilentStructured);
}

}  // namespace

bool ParseChannelData(std::string_view text, std::string_view compressionCode, std::vector<std::uint32_t>& counts) {
  compressionCode = Trim(compressionCode);
  const bool counted = compressionCode == "CountedZeroes";
  if (!counted && !compressionCode.empty() && compressionCode != "None") return false;
  std::vector<std::uint32_t> out;
  bool ok = true;
  bool zeroRun = false;
  ForEachToken(text, [&](std::string_view token) {
    const std::optional<double> value = ParseNumber(token);
    if (!value || *value < 0.0) return ok = false;
    if (zeroRun) {
      zeroRun = false;
      const double run = std::round(*value);
      if (run > static_cast<double>(kChannelLimit - out.size())) return ok = false;
      out.insert(out.end(), static_cast<std::size_t>(run), 0u);
      return true;
    }
    const double count = std::round(*value);
    if (counted && count == 0.0) {
      zeroRun = true;
      return true;
    }
    if (out.size() >= kChannelLimit) return ok = false;
    out.push_back(static_cast<std::uint32_t>(std::min(count, 4294967295.0)));
    return true;
  });
  if (zeroRun) out.push_back(0u);  // a last 0 without its count stands for itself
  if (!ok) return false;
  counts = std::move(out);
  return true;
}

bool ParseN42(std::string_view content, ExchangeSet& set) {
  if (content.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return false;
  EnsureParserReady();
  const std::unique_ptr<xmlDoc, DocFree> doc(xmlReadMemory(content.data(), static_cast<int>(content.size()), "spectrum.n42",
                                                           nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR |
                                                                        XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS));
  if (!doc) return false;
  // A document type could declare entities; N42 needs none, so a document that has one is refused.
  if (doc->intSubset != nullptr || doc->extSubset != nullptr) return false;
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!Named(root, "RadInstrumentData")) return false;

  ExchangeSet result;
  std::map<std::string, std::string> detectorNames;
  std::map<std::string, Calibration> calibrations;
  for (const xmlNode* child = root->children; child != nullptr; child = child->next) {
    if (Named(child, "RadInstrumentDataCreatorName")) {
      result.fromThisProgram = Trim(Text(child)).substr(0, std::strlen(kExchangeCreator)) == kExchangeCreator;
    } else if (Named(child, "RadInstrumentInformation")) {
      ReadInstrument(child, result);
    } else if (Named(child, "RadDetectorInformation")) {
      const xmlNode* name = FirstChild(child, "RadDetectorName");
      detectorNames[Attribute(child, "id")] = name != nullptr ? std::string(Trim(Text(name))) : Attribute(child, "id");
    } else if (Named(child, "EnergyCalibration")) {
      calibrations[Attribute(child, "id")] = ReadCalibration(child);
    }
  }

  // The first measurement that holds a spectrum; later ones (and measurement groups) are extra blocks.
  bool found = false;
  for (const xmlNode* measurement = root->children; measurement != nullptr && !found; measurement = measurement->next) {
    if (!Named(measurement, "RadMeasurement") || FirstChild(measurement, "Spectrum") == nullptr) continue;
    found = true;
    Children(measurement, "Remark", [&](const xmlNode* remark) {
      if (const auto kind = RemarkValue(Text(remark), "Start time kind:")) {
        result.kind = KindFromName(*kind);
        if (kind->substr(0, 4) == "NONE") result.kind = StampKind::Unknown;
      }
    });
    bool noStamp = false;
    Children(measurement, "Remark", [&](const xmlNode* remark) {
      if (const auto kind = RemarkValue(Text(remark), "Start time kind:")) noStamp = kind->substr(0, 4) == "NONE";
    });
    if (const xmlNode* start = FirstChild(measurement, "StartDateTime"); start != nullptr && !noStamp)
      result.start = ParseDateTime(Text(start));
    if (const xmlNode* real = FirstChild(measurement, "RealTimeDuration")) result.realSeconds = ParseDuration(Text(real));
    bool bad = false;
    Children(measurement, "Spectrum", [&](const xmlNode* node) {
      if (bad) return;
      ExchangeSpectrum spectrum;
      const xmlNode* data = FirstChild(node, "ChannelData");
      if (data == nullptr || !ParseChannelData(Text(data), Attribute(data, "compressionCode"), spectrum.counts) ||
          spectrum.counts.empty()) {
        bad = true;
        return;
      }
      const std::string detector = Attribute(node, "radDetectorInformationReference");
      const auto name = detectorNames.find(detector);
      spectrum.name = name != detectorNames.end() ? name->second : Attribute(node, "id");
      if (result.fromThisProgram)
        for (int k = 0; k < 4; ++k)
          if (spectrum.name == kExchangeDetectorNames[static_cast<std::size_t>(k)]) spectrum.index = k;
      const auto calibration = calibrations.find(Attribute(node, "energyCalibrationReference"));
      if (calibration != calibrations.end()) {
        spectrum.calibrated = calibration->second.calibrated;
        spectrum.keV = calibration->second.keV;
      }
      if (const xmlNode* live = FirstChild(node, "LiveTimeDuration")) spectrum.liveSeconds = ParseDuration(Text(live));
      Children(node, "Remark", [&](const xmlNode* remark) {
        const std::string text = Text(remark);
        if (auto caption = RemarkValue(text, "Caption:")) spectrum.caption = std::move(caption);
        else if (auto tag = RemarkValue(text, "Tag:")) spectrum.tag = std::move(tag);
        else if (auto soft = RemarkValue(text, "Soft size:")) {
          if (const auto value = ParseWholeInteger(*soft); value && *value > 0 && *value <= 65536)
            spectrum.softSize = static_cast<int>(*value);
        }
      });
      result.spectra.push_back(std::move(spectrum));
    });
    if (bad) return false;
  }
  if (!found || result.spectra.empty()) return false;
  set = std::move(result);
  return true;
}

}  // namespace mirvo
