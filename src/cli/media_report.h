#pragma once
// What korvel-cli learns about one file: the detection and, when an analyzer can, the description.
#include <filesystem>
#include <string>

#include "mediainfo/detect_container.h"
#include "mediainfo/media_info.h"
#include "mediainfo/same_format.h"

namespace korvel::cli {

struct MediaReport {
  std::filesystem::path file;
  std::string readError;  // empty when the file could be read
  DetectCode detection = kDetectUnknown;
  int detectionSubType = 0;
  bool analysed = false;  // AnalyzeMediaFile succeeded with a kind
  QdMediaInfo info;
};

MediaReport MakeMediaReport(const std::filesystem::path& file);

// Why the file cannot be read, or "" when it can.
std::string ReadError(const std::filesystem::path& file);

// The sentence for a file that could not be described, naming why.
std::string UnanalysedReason(const MediaReport& report);

}  // namespace korvel::cli
