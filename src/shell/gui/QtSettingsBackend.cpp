#include "shell/gui/QtSettingsBackend.h"

namespace mirvo {

QtSettingsBackend::QtSettingsBackend()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, settings_key::kOrganisation,
                settings_key::kApplication) {}

QString QtSettingsBackend::Path(const std::string& key, const std::string& value) {
  return key.empty() ? QString::fromStdString(value) : QString::fromStdString(key + "/" + value);
}

bool QtSettingsBackend::KeyExists(const std::string& key) const {
  settings_.beginGroup(QString::fromStdString(key));
  const bool exists = !settings_.childKeys().isEmpty() || !settings_.childGroups().isEmpty();
  settings_.endGroup();
  return exists;
}

std::optional<std::uint32_t> QtSettingsBackend::ReadInt(const std::string& key, const std::string& value) const {
  const QVariant v = settings_.value(Path(key, value));
  bool ok = false;
  const qulonglong number = v.toULongLong(&ok);
  if (!v.isValid() || !ok || number > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<std::uint32_t>(number);
}

std::optional<std::vector<std::uint8_t>> QtSettingsBackend::ReadBinary(const std::string& key,
                                                                        const std::string& value) const {
  const QVariant v = settings_.value(Path(key, value));
  if (!v.isValid() || v.typeId() != QMetaType::QByteArray) return std::nullopt;
  const QByteArray bytes = v.toByteArray();
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::optional<std::string> QtSettingsBackend::ReadText(const std::string& key, const std::string& value) const {
  const QVariant v = settings_.value(Path(key, value));
  if (!v.isValid()) return std::nullopt;
  return v.toString().toStdString();
}

void QtSettingsBackend::WriteInt(const std::string& key, const std::string& value, std::uint32_t data) {
  settings_.setValue(Path(key, value), static_cast<qulonglong>(data));
}

void QtSettingsBackend::WriteBinary(const std::string& key, const std::string& value,
                                    const std::vector<std::uint8_t>& data) {
  settings_.setValue(Path(key, value), QByteArray(reinterpret_cast<const char*>(data.data()),
                                                  static_cast<qsizetype>(data.size())));
}

void QtSettingsBackend::WriteText(const std::string& key, const std::string& value, const std::string& text) {
  settings_.setValue(Path(key, value), QString::fromStdString(text));
}

}  // namespace mirvo
