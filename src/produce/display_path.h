#pragma once
// Paths as the wizards show them: a path inside one of the user's well-known folders starts
// with that folder's name instead of its full path. For display only; the wizards keep and
// use the real path.
#include <filesystem>
#include <string>
#include <vector>

namespace korvel {

struct TNamedFolder {
  std::filesystem::path folder;
  std::string displayName;
};

// The first folder (in the order given) that holds path, a whole folder name at a time,
// replaced by its display name; the path itself when none does.
std::string DisplayPath(const std::filesystem::path& path, const std::vector<TNamedFolder>& folders);

// The folder part of a displayed path, with its trailing separator: "Videos/" of
// "Videos/a_S01.avi".
std::string DisplayFolder(const std::string& displayPath);

}  // namespace korvel
