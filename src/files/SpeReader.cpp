#include "files/SpeReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace mirvo {

namespace {

constexpr long long kChannelLimit = 1 << 20;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The lines of the text with CR, LF or CR LF ends.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::vector<double> Numbers(std::string_view line, bool& ok) {
  std::vector<double> values;
  ForEachToken(line, [&](std::string_view token) {
    const std::optional<double> value = ParseNumber(token);
    if (value) values.push_back(*value);
    else ok = false;
    return static_cast<bool>(value);
  });
  return values;
}

// "mm/dd/yyyy hh:mm:ss" (also with '-' between the date's fields).
std::optional<ZonedTime> ParseSpeDate(std::string_view line) {
  ZonedTime zoned;
  CivilTime& t = zoned.time;
  const std::string text(Trim(line));
  char s1 = 0;
  char s2 = 0;
  int used = 0;
  if (std::sscanf(text.c_str(), "%2d%c%2d%c%4d %2d:%2d:%2d%n", &t.month, &s1, &t.day, &s2, &t.year, &t.hour, &t.minute,
                  &t.second, &used) != 8 ||
      static_cast<std::size_t>(used) != text.size())
    return std::nullopt;
  if ((s1 != '/' && s1 != '-') || s2 != s1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 ||
      t.minute > 59 || t.second > 59)
    return std::nullopt;
  return zoned;
}

}  // namespace

bool ParseSpe(std::string_view content, ExchangeSet& set) {
  if (content.size() >= 3 && static_cast<unsigned char>(content[0]) == 0xEF) content.remove_prefix(3);  // BOM
  std::map<std::string, std::vector<std::string_view>> blocks;
  std::vector<std::string_view>* current = nullptr;
  for (std::string_view line : Lines(content)) {
    const std::string_view trimmed = Trim(line);
    if (!trimmed.empty() && trimmed.front() == '$') {
      const auto colon = trimmed.find(':');
      if (colon == std::string_view::npos) return false;
      current = &blocks[std::string(trimmed.substr(1, colon - 1))];
      if (!Trim(trimmed.substr(colon + 1)).empty()) current->push_back(Trim(trimmed.substr(colon + 1)));
      continue;
    }
    if (current == nullptr) {
      if (trimmed.empty()) continue;
      return false;  // text before the first block: not an SPE file
    }
    current->push_back(line);
  }
  const auto data = blocks.find("DATA");
  if (data == blocks.end() || data->second.empty()) return false;

  ExchangeSpectrum spectrum;
  bool ok = true;
  const std::vector<double> range = Numbers(data->second.front(), ok);
  if (!ok || range.size() != 2 || range[0] < 0 || range[1] < range[0] || range[1] >= kChannelLimit ||
      range[0] != std::floor(range[0]) || range[1] != std::floor(range[1]))
    return false;
  const auto first = static_cast<std::size_t>(range[0]);
  const auto last = static_cast<std::size_t>(range[1]);
  spectrum.counts.assign(first, 0u);
  for (std::size_t i = 1; i < data->second.size() && spectrum.counts.size() <= last; ++i) {
    const std::vector<double> values = Numbers(data->second[i], ok);
    if (!ok) return false;
    for (double value : values) {
      if (value < 0.0) return false;
      if (spectrum.counts.size() <= last)
        spectrum.counts.push_back(static_cast<std::uint32_t>(std::min(std::round(value), 4294967295.0)));
    }
  }
  if (spectrum.counts.size() != last + 1) return false;  // truncated

  ExchangeSet result;
  if (const auto id = blocks.find("SPEC_ID"); id != blocks.end() && !id->second.empty())
    spectrum.tag = std::string(Trim(id->second.front()));
  if (const auto remarks = blocks.find("SPEC_REM"); remarks != blocks.end()) {
    for (std::string_view line : remarks->second) {
      line = Trim(line);
      const std::string_view creator = kExchangeCreator;
      if (line.substr(0, creator.size() + 2) == std::string(creator) + " S" && line.size() >= creator.size() + 4 &&
          line[creator.size() + 3] == ':' && line[creator.size() + 2] >= '0' && line[creator.size() + 2] <= '3') {
        result.fromThisProgram = true;
        spectrum.index = line[creator.size() + 2] - '0';
        spectrum.name = kExchangeDetectorNames[static_cast<std::size_t>(spectrum.index)];
        spectrum.caption = std::string(Trim(line.substr(creator.size() + 4)));
      } else if (line.substr(0, 16) == "Start time kind:") {
        const std::string_view kind = Trim(line.substr(16));
        result.kind = kind == "UTC" ? StampKind::Utc : kind == "SYSTEM" ? StampKind::System
                      : kind == "LOCAL"                 ? StampKind::Local
                                                        : StampKind::Unknown;
        if (kind == "NONE") blocks.erase("DATE_MEA");
      } else if (line.substr(0, 10) == "Soft size:") {
        if (const auto soft = ParseWholeInteger(line.substr(10)); soft && *soft > 0 && *soft <= 65536)
          spectrum.softSize = static_cast<int>(*soft);
      } else if (const auto serial = line.find("serial number:"); serial != std::string_view::npos) {
        if (const auto value = ParseWholeInteger(line.substr(serial + 14)); value && *value >= 0 && *value <= 65535)
          result.serialNumber = static_cast<std::uint16_t>(*value);
      }
    }
  }
  if (const auto date = blocks.find("DATE_MEA"); date != blocks.end() && !date->second.empty())
    result.start = ParseSpeDate(date->second.front());
  if (const auto times = blocks.find("MEAS_TIM"); times != blocks.end() && !times->second.empty()) {
    bool timesOk = true;
    const std::vector<double> values = Numbers(times->second.front(), timesOk);
    if (timesOk && values.size() >= 2 && values[0] >= 0.0 && values[1] >= 0.0) {
      spectrum.liveSeconds = values[0];
      result.realSeconds = values[1];
    }
  }
  // $MCA_CAL: the number of coefficients, then the coefficients and the unit; else $ENER_FIT.
  std::vector<double> terms;
  if (const auto cal = blocks.find("MCA_CAL"); cal != blocks.end() && cal->second.size() >= 2) {
    bool calOk = true;
    const std::vector<double> count = Numbers(cal->second[0], calOk);
    std::vector<double> values;
    ForEachToken(cal->second[1], [&](std::string_view token) {
      if (const auto value = ParseNumber(token)) values.push_back(*value);
      else if (token != "keV" && token != "KeV" && token != "kev") calOk = false;
      return calOk;
    });
    if (calOk && count.size() == 1 && count[0] == static_cast<double>(values.size())) terms = values;
  }
  if (terms.empty()) {
    if (const auto fit = blocks.find("ENER_FIT"); fit != blocks.end() && !fit->second.empty()) {
      bool fitOk = true;
      std::vector<double> values = Numbers(fit->second.front(), fitOk);
      if (fitOk) terms = values;
    }
  }
  if (terms.size() >= 2 && terms.size() <= 3) {
    terms.resize(3, 0.0);
    const bool identity = terms[0] == 0.0 && terms[1] == 1.0 && terms[2] == 0.0;
    if (!identity && (terms[1] != 0.0 || terms[2] != 0.0)) {
      spectrum.calibrated = true;
      spectrum.keV = {terms[0], terms[1], terms[2]};
    }
  }
  if (const auto roi = blocks.find("ROI"); roi != blocks.end()) {
    for (std::size_t i = 1; i < roi->second.size(); ++i) {
      bool roiOk = true;
      const std::vector<double> pair = Numbers(roi->second[i], roiOk);
      if (roiOk && pair.size() == 2 && pair[0] >= 0 && pair[1] >= pair[0] && pair[1] < kChannelLimit)
        spectrum.rois.emplace_back(static_cast<int>(pair[0]), static_cast<int>(pair[1]));
    }
  }
  if (spectrum.name.empty()) spectrum.name = spectrum.tag.value_or("SPE");
  result.spectra.push_back(std::move(spectrum));
  set = std::move(result);
  return true;
}

}  // namespace mirvo
