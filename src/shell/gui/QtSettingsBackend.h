// The settings store on QSettings in its native format (organisation "Mirvo", application
// "Mirvo-PSD 2.50"); binary values are QByteArrays, byte for byte.
#pragma once

#include <QSettings>

#include "shell/SettingsStore.h"

namespace mirvo {

class QtSettingsBackend final : public ISettingsBackend {
 public:
  QtSettingsBackend();
  bool KeyExists(const std::string& key) const override;
  std::optional<std::uint32_t> ReadInt(const std::string& key, const std::string& value) const override;
  std::optional<std::vector<std::uint8_t>> ReadBinary(const std::string& key, const std::string& value) const override;
  std::optional<std::string> ReadText(const std::string& key, const std::string& value) const override;
  void WriteInt(const std::string& key, const std::string& value, std::uint32_t data) override;
  void WriteBinary(const std::string& key, const std::string& value, const std::vector<std::uint8_t>& data) override;
  void WriteText(const std::string& key, const std::string& value, const std::string& text) override;
  void Sync() { settings_.sync(); }

 private:
  static QString Path(const std::string& key, const std::string& value);
  mutable QSettings settings_;
};

}  // namespace mirvo
