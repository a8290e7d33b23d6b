#pragma once
// The per-user settings file of the desktop program as a key-value store.
#include <QSettings>

#include "base/program_settings.h"

namespace korvel {

class TQtSettingsStore final : public ISettingsStore {
public:
  // QSettings("Quendar", "Korvel").
  TQtSettingsStore();

  std::optional<int32_t> ReadInteger(std::string_view name) override;
  std::optional<std::string> ReadString(std::string_view name) override;
  void WriteInteger(std::string_view name, int32_t value) override;
  void WriteString(std::string_view name, const std::string& value) override;

private:
  QSettings settings_;
};

}  // namespace korvel
