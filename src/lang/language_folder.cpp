#include "lang/language_folder.h"

#include <algorithm>
#include <system_error>

namespace korvel {

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : executable.parent_path();
}

std::filesystem::path ProgramLanguageFolder() { return ProgramFolder() / "Language"; }

std::vector<std::string> ListLanguageFiles(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    std::error_code ignored;  // an entry that vanished or cannot be examined is not a folder
    if (name.starts_with('g') && !it->is_directory(ignored)) names.push_back(std::move(name));
  }
  std::ranges::sort(names);
  return names;
}

}  // namespace korvel
