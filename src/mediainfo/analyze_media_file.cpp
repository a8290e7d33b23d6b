#include "mediainfo/analyze_media_file.h"

namespace korvel {

bool AnalyzeMediaFile(const std::filesystem::path& fileName, QdMediaInfo& info) {
  info.Reset();
  info.FileName = fileName;
  // The analyzer of each container family (AVI, ASF, MP4, and FFmpeg for the MPEG streams)
  // arrives with its engine and is chosen here by DetectContainer. Until then no file is
  // described, rather than described wrongly.
  return false;
}

}  // namespace korvel
