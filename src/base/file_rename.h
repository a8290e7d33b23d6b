#pragma once
// Renaming a file from a name the user typed, without ever replacing another file.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

// The typed name trimmed of blanks, or nothing when it cannot name a file in the same folder:
// empty, ".", "..", or holding "/" or a NUL byte.
std::optional<std::string> CheckedNewFileName(std::string_view typed);

// Moves from to to unless to already exists; 0 on success, else the system's error code
// (EEXIST when to exists). The check and the move are one step, so that no file that appears
// meanwhile is replaced.
int RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace korvel
