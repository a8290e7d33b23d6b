#pragma once
// Paths compared by their spelling: two spellings of one folder ("a/./b", "a/c/../b",
// relative or absolute) compare equal once both are made normal.
#include <filesystem>
#include <optional>
#include <vector>

namespace korvel {

// The path made absolute (against the current folder) and lexically normal. Links are not
// followed; an empty path stays empty.
std::filesystem::path NormalPath(const std::filesystem::path& path);

// What follows folder in path, when path is folder itself (an empty remainder) or lies inside
// it, whole folder names at a time: "~/Videos2/a" is not inside "~/Videos". Both are compared
// as NormalPath gives them.
std::optional<std::filesystem::path> PathInsideFolder(const std::filesystem::path& path,
                                                      const std::filesystem::path& folder);

// The index of the folder that holds path most closely (the one with the most names), so that
// a folder lying inside another wins; nothing when none holds it.
std::optional<size_t> InnermostFolderOf(const std::filesystem::path& path,
                                        const std::vector<std::filesystem::path>& folders);

}  // namespace korvel
