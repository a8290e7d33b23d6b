#pragma once
// What the Language menu shows: one radio item per installed language.
#include <filesystem>
#include <string>
#include <vector>

namespace korvel {

struct LanguageMenuEntry {
  std::string caption;   // for display only: Language + " : " + Translator + " -> " + file name
  std::string fileName;  // the file to select, never taken back out of the caption
  bool checked = false;  // the entry of the current language file

  bool operator==(const LanguageMenuEntry&) const = default;
};

// One entry for each language file of folder whose "Information" names its "Language", sorted by
// caption; checked when folder / fileName is currentPath.
std::vector<LanguageMenuEntry> LanguageMenuEntries(const std::filesystem::path& folder, const std::filesystem::path& currentPath);

}  // namespace korvel
