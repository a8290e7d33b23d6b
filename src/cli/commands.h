#pragma once
// The korvel-cli commands. Each returns the process exit code.
#include <filesystem>
#include <ostream>
#include <vector>

namespace korvel::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;      // not compatible, or a file could not be described
inline constexpr int kExitUnreadable = 2;  // usage error, or a file could not be read

int RunInfo(const std::vector<std::filesystem::path>& files, bool json, std::ostream& out, std::ostream& err);
int RunCheck(const std::filesystem::path& fileA, const std::filesystem::path& fileB, std::ostream& out,
             std::ostream& err);

}  // namespace korvel::cli
