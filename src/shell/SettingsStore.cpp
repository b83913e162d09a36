#include "shell/SettingsStore.h"

#include <algorithm>
#include <cstdio>

#include "display/RecordSets.h"
#include "records/Captions.h"

namespace mirvo {
namespace {

using namespace settings_key;

std::string Indexed(const char* name, int spectrum) { return name + std::string("S") + std::to_string(spectrum); }

constexpr std::array<const char*, 4> kColourNames = {"CursorColor", "SpectrumColor", "BkgColor", "ROIColor"};

// The four colours of one plot, each read only when the one before was; all four or nothing.
std::optional<PlotColours> ReadColours(const ISettingsBackend& backend, const char* prefix, int spectrum) {
  std::array<std::uint32_t, 4> values{};
  for (std::size_t i = 0; i < kColourNames.size(); ++i) {
    const auto value = backend.ReadInt(kSpectrum, Indexed((std::string(prefix) + kColourNames[i]).c_str(), spectrum));
    if (!value) return std::nullopt;
    values[i] = *value;
  }
  PlotColours colours;
  colours.cursor = values[0];
  colours.spectrum = values[1];
  colours.background = values[2];
  colours.roi = values[3];
  return colours;
}

void WriteColours(ISettingsBackend& backend, const char* prefix, int spectrum, const PlotColours& colours) {
  const std::array<std::uint32_t, 4> values = {colours.cursor, colours.spectrum, colours.background, colours.roi};
  for (std::size_t i = 0; i < kColourNames.size(); ++i)
    backend.WriteInt(kSpectrum, Indexed((std::string(prefix) + kColourNames[i]).c_str(), spectrum), values[i]);
}

void ApplyColours(SpectrumPlot& plot, const std::optional<PlotColours>& colours) {
  if (colours) {
    plot.SetColours(*colours);
    plot.SetPlotColours(false);
  } else {
    plot.SetPlotColours(true);
  }
}

void PutInt(std::vector<std::uint8_t>& out, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(u >> shift));
}

std::int32_t GetInt(const std::vector<std::uint8_t>& in, std::size_t index) {
  std::uint32_t u = 0;
  for (int b = 0; b < 4; ++b) u |= static_cast<std::uint32_t>(in[index * 4 + static_cast<std::size_t>(b)]) << (8 * b);
  return static_cast<std::int32_t>(u);
}

}  // namespace

std::vector<std::uint8_t> WindowPlacement::ToBytes() const {
  std::vector<std::uint8_t> out;
  out.reserve(kSize);
  for (std::int32_t v : {length, flags, showCommand, minX, minY, maxX, maxY, left, top, right, bottom}) PutInt(out, v);
  return out;
}

std::optional<WindowPlacement> WindowPlacement::FromBytes(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() != kSize || GetInt(bytes, 0) != static_cast<std::int32_t>(kSize)) return std::nullopt;
  WindowPlacement p;
  std::int32_t* fields[] = {&p.length, &p.flags, &p.showCommand, &p.minX, &p.minY, &p.maxX,
                            &p.maxY,   &p.left,  &p.top,         &p.right, &p.bottom};
  for (std::size_t i = 0; i < 11; ++i) *fields[i] = GetInt(bytes, i);
  return p;
}

std::uint32_t SettingsStore::LoadAppLook() const {
  if (!backend_.KeyExists(kApp)) return backend_.ReadInt(kFramework, kApplicationLook).value_or(kBlackLook);
  return backend_.ReadInt(kApp, kAppLook).value_or(0);
}

void SettingsStore::SaveAppLook(std::uint32_t look) { backend_.WriteInt(kApp, kAppLook, look); }

void SettingsStore::SaveFrameworkLook(std::uint32_t look) { backend_.WriteInt(kFramework, kApplicationLook, look); }

std::optional<WindowPlacement> SettingsStore::LoadWindowPlacement() const {
  const auto bytes = backend_.ReadBinary(kWindowPos, kWinPos);
  if (!bytes) return std::nullopt;
  return WindowPlacement::FromBytes(*bytes);
}

void SettingsStore::SaveWindowPlacement(const WindowPlacement& placement) {
  backend_.WriteBinary(kWindowPos, kWinPos, placement.ToBytes());
}

std::uint32_t SettingsStore::LoadLoggerN42() const {
  return backend_.ReadInt(settings_key::kLogger, settings_key::kSaveN42).value_or(0);
}

void SettingsStore::SaveLoggerN42(std::uint32_t mode) { backend_.WriteInt(settings_key::kLogger, settings_key::kSaveN42, mode); }

void SettingsStore::LoadSpectra(RecordSets& sets) const {
  for (int k = 0; k < 4; ++k) {
    ApplyColours(sets.BufferPlot(k), ReadColours(backend_, "Buffer", k));
    ApplyColours(sets.FilePlot(k), ReadColours(backend_, "File", k));

    SpectrumRecord& record = sets.BufferPlot(k).Record();
    if (const auto image = backend_.ReadBinary(kSpectrum, Indexed("Calibration", k));
        image && image->size() == CalibrationRecord::kImageSize) {
      record.stored.FromBytes(*image);
      if (record.stored.pointCount > CalibrationRecord::kMaxPoints || record.stored.pointCount < 0)
        record.stored.pointCount = 0;
    }
    // A caption is read into 40 characters with its terminating zero: 40 or more do not fit.
    if (const auto caption = backend_.ReadText(kSpectrum, Indexed("Caption", k));
        caption && CaptionCharacters(*caption) < kStoredCaptionLimit) {
      record.caption = *caption;
    }
  }
  std::array<std::string, 4> captions;
  for (int k = 0; k < 4; ++k) captions[static_cast<std::size_t>(k)] = sets.BufferPlot(k).Record().caption;
  sets.RestoreCaptions(captions);  // retitles the panes that show the BUFFER set
}

void SettingsStore::SaveSpectra(RecordSets& sets) {
  for (int k = 0; k < 4; ++k) {
    WriteColours(backend_, "Buffer", k, sets.BufferPlot(k).Colours());
    WriteColours(backend_, "File", k, sets.FilePlot(k).Colours());
    SpectrumRecord& record = sets.BufferPlot(k).Record();
    record.stored.enabled = 0;
    const auto image = record.stored.ToBytes();
    backend_.WriteBinary(kSpectrum, Indexed("Calibration", k), std::vector<std::uint8_t>(image.begin(), image.end()));
    backend_.WriteText(kSpectrum, Indexed("Caption", k), record.caption);
  }
}

std::optional<std::vector<std::uint8_t>> SettingsStore::LoadLayout(const char* name) const {
  return backend_.ReadBinary(kFramework, name);
}

void SettingsStore::SaveLayout(const char* name, const std::vector<std::uint8_t>& state) {
  backend_.WriteBinary(kFramework, name, state);
}

std::optional<std::string> SettingsStore::LoadFpgaFile() const { return backend_.ReadText(kLastPath, kFpgaFile); }

void SettingsStore::SaveFpgaFile(const std::string& path) { backend_.WriteText(kLastPath, kFpgaFile, path); }

// --- in-memory store

const MemorySettingsBackend::Entry* MemorySettingsBackend::Find(const std::string& key, const std::string& value) const {
  const std::string path = key + "/" + value;
  for (const auto& [name, entry] : entries_)
    if (name == path) return &entry;
  return nullptr;
}

MemorySettingsBackend::Entry& MemorySettingsBackend::Slot(const std::string& key, const std::string& value) {
  const std::string path = key + "/" + value;
  for (auto& [name, entry] : entries_)
    if (name == path) return entry;
  entries_.emplace_back(path, Entry{});
  return entries_.back().second;
}

bool MemorySettingsBackend::KeyExists(const std::string& key) const {
  const std::string prefix = key + "/";
  return std::any_of(entries_.begin(), entries_.end(), [&](const auto& e) { return e.first.rfind(prefix, 0) == 0; });
}

std::optional<std::uint32_t> MemorySettingsBackend::ReadInt(const std::string& key, const std::string& value) const {
  const Entry* e = Find(key, value);
  return e ? e->integer : std::nullopt;
}

std::optional<std::vector<std::uint8_t>> MemorySettingsBackend::ReadBinary(const std::string& key,
                                                                           const std::string& value) const {
  const Entry* e = Find(key, value);
  return e ? e->binary : std::nullopt;
}

std::optional<std::string> MemorySettingsBackend::ReadText(const std::string& key, const std::string& value) const {
  const Entry* e = Find(key, value);
  return e ? e->text : std::nullopt;
}

void MemorySettingsBackend::WriteInt(const std::string& key, const std::string& value, std::uint32_t data) {
  Slot(key, value) = Entry{data, std::nullopt, std::nullopt};
}

void MemorySettingsBackend::WriteBinary(const std::string& key, const std::string& value,
                                        const std::vector<std::uint8_t>& data) {
  Slot(key, value) = Entry{std::nullopt, data, std::nullopt};
}

void MemorySettingsBackend::WriteText(const std::string& key, const std::string& value, const std::string& text) {
  Slot(key, value) = Entry{std::nullopt, std::nullopt, text};
}

void MemorySettingsBackend::Remove(const std::string& key, const std::string& value) {
  const std::string path = key + "/" + value;
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [&](const auto& e) { return e.first == path; }),
                 entries_.end());
}

std::size_t MemorySettingsBackend::ValueCount() const { return entries_.size(); }

}  // namespace mirvo
