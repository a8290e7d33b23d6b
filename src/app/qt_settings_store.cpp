#include "app/qt_settings_store.h"

#include <QByteArray>
#include <QString>

namespace korvel {

namespace {

QString Key(std::string_view name) { return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())); }

}  // namespace

TQtSettingsStore::TQtSettingsStore() : settings_("Quendar", "Korvel") {}

std::optional<int32_t> TQtSettingsStore::ReadInteger(std::string_view name) {
  const QVariant value = settings_.value(Key(name));
  bool ok = false;
  const int number = value.toInt(&ok);
  if (!value.isValid() || !ok) return std::nullopt;
  return number;
}

std::optional<std::string> TQtSettingsStore::ReadString(std::string_view name) {
  const QVariant value = settings_.value(Key(name));
  if (!value.isValid()) return std::nullopt;
  if (value.typeId() == QMetaType::QByteArray) return value.toByteArray().toStdString();
  if (!value.canConvert<QString>()) return std::nullopt;
  return value.toString().toStdString();
}

void TQtSettingsStore::WriteInteger(std::string_view name, int32_t value) { settings_.setValue(Key(name), value); }

void TQtSettingsStore::WriteString(std::string_view name, const std::string& value) {
  // A path need not be valid UTF-8 on Linux; such a one is kept as bytes so that it comes back
  // exactly as it was.
  const QByteArray bytes = QByteArray::fromStdString(value);
  const QString text = QString::fromUtf8(bytes);
  if (text.toUtf8() == bytes)
    settings_.setValue(Key(name), text);
  else
    settings_.setValue(Key(name), bytes);
}

}  // namespace korvel
