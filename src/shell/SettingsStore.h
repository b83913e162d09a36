// The per-user settings kept between runs: visual style, window placement, the colours of the eight
// plots, the calibrations and captions of the four BUFFER records. Key and value names, sizes,
// defaults and the load and save orders live here; the store itself is behind ISettingsBackend.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mirvo {

class RecordSets;

// A tree of keys holding 32-bit integers, binary blocks and texts ("Mirvo-PSD/Spectrum" style paths).
class ISettingsBackend {
 public:
  virtual ~ISettingsBackend() = default;
  virtual bool KeyExists(const std::string& key) const = 0;
  virtual std::optional<std::uint32_t> ReadInt(const std::string& key, const std::string& value) const = 0;
  virtual std::optional<std::vector<std::uint8_t>> ReadBinary(const std::string& key, const std::string& value) const = 0;
  virtual std::optional<std::string> ReadText(const std::string& key, const std::string& value) const = 0;
  virtual void WriteInt(const std::string& key, const std::string& value, std::uint32_t data) = 0;
  virtual void WriteBinary(const std::string& key, const std::string& value, const std::vector<std::uint8_t>& data) = 0;
  virtual void WriteText(const std::string& key, const std::string& value, const std::string& text) = 0;
};

namespace settings_key {
inline constexpr const char* kOrganisation = "Mirvo";
inline constexpr const char* kApplication = "Mirvo-PSD 2.50";
inline constexpr const char* kApp = "Mirvo-PSD/App";
inline constexpr const char* kWindowPos = "Mirvo-PSD/WindowPos";
inline constexpr const char* kSpectrum = "Mirvo-PSD/Spectrum";
inline constexpr const char* kLastPath = "ConfigMirvo/LastPath";
inline constexpr const char* kLogger = "Mirvo-PSD/Logger";
inline constexpr const char* kSaveN42 = "SaveN42";
inline constexpr const char* kFramework = "";  // the framework's own values sit at the root
inline constexpr const char* kAppLook = "AppLook";
inline constexpr const char* kWinPos = "WinPos";
inline constexpr const char* kFpgaFile = "FPGAFile";
inline constexpr const char* kAppState = "AppState";
inline constexpr const char* kAppStateDefault = "AppStateDefault";
inline constexpr const char* kToolbarState = "TBAR STATE";
inline constexpr const char* kApplicationLook = "ApplicationLook";
}  // namespace settings_key

constexpr std::uint32_t kBlackLook = 32829;

// The main window's placement: 44 bytes of little-endian 32-bit fields.
struct WindowPlacement {
  static constexpr std::size_t kSize = 44;
  std::int32_t length = 44;
  std::int32_t flags = 0;
  std::int32_t showCommand = 1;  // 1 normal, 3 maximised, 2 minimised
  std::int32_t minX = -1, minY = -1;
  std::int32_t maxX = -1, maxY = -1;
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::vector<std::uint8_t> ToBytes() const;
  // Fails (nullopt) for a block that is not a 44-byte placement record.
  static std::optional<WindowPlacement> FromBytes(const std::vector<std::uint8_t>& bytes);
  bool operator==(const WindowPlacement&) const = default;
};

class SettingsStore {
 public:
  explicit SettingsStore(ISettingsBackend& backend) : backend_(backend) {}

  // The App key's AppLook; without the key, the framework's ApplicationLook (default the Black
  // style); with the key but without the value, 0.
  std::uint32_t LoadAppLook() const;
  void SaveAppLook(std::uint32_t look);
  // The framework records the style whenever one is chosen.
  void SaveFrameworkLook(std::uint32_t look);

  std::optional<WindowPlacement> LoadWindowPlacement() const;
  void SaveWindowPlacement(const WindowPlacement& placement);

  // The spectrum logger's N42 choice (0 off, 1 beside the .mps file, 2 instead of it); 0 when missing.
  std::uint32_t LoadLoggerN42() const;
  void SaveLoggerN42(std::uint32_t mode);

  // Colours, calibrations and captions of the spectra, into and out of the record sets.
  void LoadSpectra(RecordSets& sets) const;
  void SaveSpectra(RecordSets& sets);

  // The framework's layout blocks ("AppState", "AppStateDefault", "TBAR STATE").
  std::optional<std::vector<std::uint8_t>> LoadLayout(const char* name) const;
  void SaveLayout(const char* name, const std::vector<std::uint8_t>& state);

  std::optional<std::string> LoadFpgaFile() const;
  void SaveFpgaFile(const std::string& path);

 private:
  ISettingsBackend& backend_;
};

// An in-memory store (tests, and a program run that must not touch the user's settings).
class MemorySettingsBackend final : public ISettingsBackend {
 public:
  bool KeyExists(const std::string& key) const override;
  std::optional<std::uint32_t> ReadInt(const std::string& key, const std::string& value) const override;
  std::optional<std::vector<std::uint8_t>> ReadBinary(const std::string& key, const std::string& value) const override;
  std::optional<std::string> ReadText(const std::string& key, const std::string& value) const override;
  void WriteInt(const std::string& key, const std::string& value, std::uint32_t data) override;
  void WriteBinary(const std::string& key, const std::string& value, const std::vector<std::uint8_t>& data) override;
  void WriteText(const std::string& key, const std::string& value, const std::string& text) override;
  void Remove(const std::string& key, const std::string& value);
  std::size_t ValueCount() const;

 private:
  struct Entry {
    std::optional<std::uint32_t> integer;
    std::optional<std::vector<std::uint8_t>> binary;
    std::optional<std::string> text;
  };
  std::vector<std::pair<std::string, Entry>> entries_;  // "key/value" -> data, in write order
  const Entry* Find(const std::string& key, const std::string& value) const;
  Entry& Slot(const std::string& key, const std::string& value);
};

}  // namespace mirvo
