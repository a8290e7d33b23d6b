#include "base/path_normal.h"

#include <algorithm>

namespace korvel {

std::filesystem::path NormalPath(const std::filesystem::path& path) {
  if (path.empty()) return path;
  std::error_code ignored;
  std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  if (absolute.empty()) absolute = path;
  return absolute.lexically_normal();
}

std::optional<std::filesystem::path> PathInsideFolder(const std::filesystem::path& path,
                                                      const std::filesystem::path& folder) {
  if (path.empty() || folder.empty()) return std::nullopt;
  const std::filesystem::path p = NormalPath(path);
  const std::filesystem::path f = NormalPath(folder);
  auto pi = p.begin();
  for (const auto& piece : f) {
    if (piece.empty()) continue;  // the empty last piece of a trailing separator
    while (pi != p.end() && pi->empty()) ++pi;
    if (pi == p.end() || *pi != piece) return std::nullopt;
    ++pi;
  }
  std::filesystem::path rest;
  for (; pi != p.end(); ++pi)
    if (!pi->empty()) rest /= *pi;
  return rest;
}

std::optional<size_t> InnermostFolderOf(const std::filesystem::path& path,
                                        const std::vector<std::filesystem::path>& folders) {
  std::optional<size_t> innermost;
  size_t innermostDepth = 0;
  for (size_t i = 0; i < folders.size(); ++i) {
    if (!PathInsideFolder(path, folders[i])) continue;
    const std::filesystem::path folder = NormalPath(folders[i]);
    const auto depth = static_cast<size_t>(std::distance(folder.begin(), folder.end()));
    if (!innermost || depth > innermostDepth) {
      innermost = i;
      innermostDepth = depth;
    }
  }
  return innermost;
}

}  // namespace korvel
