#include "lang/language_menu.h"

#include <algorithm>

#include "base/ini_file.h"
#include "lang/language_folder.h"
#include "lang/value_syntax.h"

namespace korvel {

std::vector<LanguageMenuEntry> LanguageMenuEntries(const std::filesystem::path& folder, const std::filesystem::path& currentPath) {
  std::vector<LanguageMenuEntry> entries;
  for (const std::string& fileName : ListLanguageFiles(folder)) {
    const auto file = IniFile::Load(folder / fileName);
    if (!file) continue;
    const std::string language = ApplyValueSyntax(file->ReadString("Information", "Language", ""));
    if (language.empty()) continue;
    const std::string translator = ApplyValueSyntax(file->ReadString("Information", "Translator", ""));
    entries.push_back({language + " : " + translator + " -> " + fileName, fileName, folder / fileName == currentPath});
  }
  std::ranges::sort(entries, {}, &LanguageMenuEntry::caption);
  return entries;
}

}  // namespace korvel
