#pragma once
// The korvel-cli commands. Each returns the process exit code.
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace korvel::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;      // not compatible, or a file could not be described
inline constexpr int kExitUnreadable = 2;  // usage error, or a file could not be read

int RunInfo(const std::vector<std::filesystem::path>& files, bool json, std::ostream& out, std::ostream& err);
int RunCheck(const std::filesystem::path& fileA, const std::filesystem::path& fileB, std::ostream& out,
             std::ostream& err);

// Where the production commands talk: status lines to out, messages and progress to err.
struct ProductionStreams {
  std::ostream& out;
  std::ostream& err;
  bool showProgress;
};

int RunJoin(const std::filesystem::path& output, const std::vector<std::string>& clips, const ProductionStreams& io);
int RunProduce(const std::filesystem::path& project, const std::optional<std::filesystem::path>& output,
               const ProductionStreams& io);
int RunReconstruct(const std::filesystem::path& source, const std::optional<std::filesystem::path>& output,
                   const ProductionStreams& io);

}  // namespace korvel::cli
