#pragma once
// Where the language files live: a "Language" folder beside the running program.
#include <filesystem>
#include <string>
#include <vector>

namespace korvel {

// The folder holding the running executable; empty when the system cannot tell.
std::filesystem::path ProgramFolder();
// ProgramFolder() / "Language".
std::filesystem::path ProgramLanguageFolder();

// The names of the language files in folder: every entry whose name starts with "g" and that is
// not a folder, sorted by name so that "the first match" means the same on every file system.
std::vector<std::string> ListLanguageFiles(const std::filesystem::path& folder);

}  // namespace korvel
