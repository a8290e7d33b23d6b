#include "produce/destination_proposal.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "base/storage_location.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

constexpr int kLastNumber = 99998;

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

// A DVD title set file: the disc's label then tells one disc's VTS_01_1 from another's.
bool IsDvdTitleFile(const fs::path& source) {
  return Upper(source.string()).find("/VIDEO_TS/") != std::string::npos && Upper(source.extension().string()) == ".VOB";
}

// Characters a label may hold that a file name should not.
std::string CleanLabel(const std::string& label) {
  std::string clean;
  for (const char c : label.substr(0, label.find('('))) {
    if (std::string_view("\\/:*?<>|\"").find(c) == std::string_view::npos) clean.push_back(c);
  }
  const auto first = clean.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return clean.substr(first, clean.find_last_not_of(" \t") - first + 1);
}

// The output's path without extension: beside the source, or in the project folder.
std::string OutputStem(const fs::path& source, const DestinationRules& rules) {
  fs::path base = source;
  if (rules.isOnReadOnlyStorage(source)) {
    std::string name = source.filename().string();
    if (IsDvdTitleFile(source)) {
      const std::string label = CleanLabel(rules.volumeLabelOf(source));
      if (!label.empty()) name = label + "_" + name;
    }
    base = rules.lastProjectFolder / name;
  }
  // Only the file name's own extension goes; a dot in a folder name is not one.
  std::string name = base.filename().string();
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot >= 1) name.erase(dot);
  return (base.parent_path() / name).string();
}

}  // namespace

DestinationRules DestinationRules::ForThisSystem(fs::path lastProjectFolder) {
  return {std::move(lastProjectFolder), IsOnReadOnlyStorage, VolumeLabelOf, [](const fs::path& p) {
            std::error_code ec;
            return fs::exists(fs::symlink_status(p, ec));
          }};
}

fs::path ProposeProduceDestination(const fs::path& source, const std::string& extension, const DestinationRules& rules) {
  const std::string stem = OutputStem(source, rules);
  for (int n = 1; n <= kLastNumber; ++n) {
    char number[16];
    std::snprintf(number, sizeof number, "%02d", n);
    fs::path candidate = stem + "_S" + number + "." + extension;
    if (!rules.exists(candidate)) return candidate;
  }
  return {};
}

fs::path ProposeReconstructDestination(const fs::path& source, const std::string& extension,
                                       const DestinationRules& rules) {
  const std::string stem = OutputStem(source, rules);
  fs::path candidate = stem + "_Re." + extension;
  for (int n = 1; n <= kLastNumber && rules.exists(candidate); ++n)
    candidate = stem + "_Re" + std::to_string(n) + "." + extension;
  // Every name is taken: proposing the last one would overwrite it without a question.
  if (rules.exists(candidate)) return {};
  return candidate;
}

}  // namespace korvel
