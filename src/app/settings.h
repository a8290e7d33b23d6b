#pragma once
// The program's settings kept between runs, in the user's "Quendar/Korvel" settings file.
#include "base/program_settings.h"

namespace korvel {

class TLanguage;

// Reads the settings. The stored language file becomes language's current file when it lies in
// language's folder; the returned LanguagePath is what the language then holds.
ProgramSettings LoadSettings(TLanguage& language);

// Writes the settings, with language's current file as the language path.
void StoreSettings(ProgramSettings settings, const TLanguage& language);

}  // namespace korvel
