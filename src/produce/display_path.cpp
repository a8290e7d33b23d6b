#include "produce/display_path.h"

namespace korvel {

std::string DisplayPath(const std::filesystem::path& path, const std::vector<TNamedFolder>& folders) {
  const std::string text = path.string();
  for (const TNamedFolder& named : folders) {
    std::string folder = named.folder.string();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty() || named.displayName.empty() || text.size() <= folder.size() ||
        text.compare(0, folder.size(), folder) != 0 || text[folder.size()] != '/')
      continue;
    return named.displayName + text.substr(folder.size());
  }
  return text;
}

std::string DisplayFolder(const std::string& displayPath) {
  const size_t slash = displayPath.rfind('/');
  return slash == std::string::npos ? "" : displayPath.substr(0, slash + 1);
}

}  // namespace korvel
