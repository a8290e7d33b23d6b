#include "app/settings.h"

#include "app/qt_settings_store.h"
#include "lang/language.h"
#include "project/project_file.h"

namespace korvel {

ProgramSettings LoadSettings(TLanguage& language) {
  TQtSettingsStore store;
  ProgramSettings settings = ReadProgramSettings(store, [] { return DefaultProjectFolder(); });
  language.RestoreStoredPath(settings.LanguagePath);
  settings.LanguagePath = language.CurrentPath();
  return settings;
}

void StoreSettings(ProgramSettings settings, const TLanguage& language) {
  settings.LanguagePath = language.CurrentPath();
  TQtSettingsStore store;
  WriteProgramSettings(store, settings);
}

}  // namespace korvel
