#pragma once
// The program's language: which file is current, loading it with the English file behind it,
// and the Language menu. Lives on the main thread; a program keeps one, and whatever it loads
// is what LangStr and LangJoin read from every thread.
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "lang/language_menu.h"

namespace korvel {

class TLanguage {
public:
  // folder: where the language files are, normally ProgramLanguageFolder().
  explicit TLanguage(std::filesystem::path folder);
  // Closes the language, so no lookup outlives the program's language.
  ~TLanguage();
  TLanguage(const TLanguage&) = delete;
  TLanguage& operator=(const TLanguage&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }
  // The file that is, or will be after the next LoadLanguage, the current language; this is the
  // path kept with the settings.
  const std::filesystem::path& CurrentPath() const { return currentPath_; }

  // Takes the path kept with the settings, unless it lies outside the language folder: a moved
  // or foreign file is never loaded from there.
  void RestoreStoredPath(const std::filesystem::path& stored);
  // Makes any file the current one, such as a file named on a command line.
  void SetCurrentPath(std::filesystem::path file);

  // Loads the current file, or the default language for the user's locale (or for the given
  // language identifier) when there is none or it is gone, with the English file of the folder
  // as fallback. False when no language could be opened: then every lookup gives an empty text.
  bool LoadLanguage();
  bool LoadLanguage(uint16_t userLanguageId);

  // The menu's choice: fileName of the language folder becomes current and is loaded. The
  // caller then applies its captions again.
  bool SelectLanguage(std::string_view fileName);

  // Drops the loaded files; lookups give empty texts until the next LoadLanguage.
  void CloseLanguage();

  // The Language menu, the current file's entry checked.
  std::vector<LanguageMenuEntry> MenuEntries() const;

private:
  std::filesystem::path folder_;
  std::filesystem::path currentPath_;
};

}  // namespace korvel
