#include "mediainfo/analyze_media_file.h"

#include "mediainfo/avi_media_info.h"
#include "mediainfo/detect_container.h"
#include "mediainfo/mp4_media_info.h"

namespace korvel {

bool AnalyzeMediaFile(const std::filesystem::path& fileName, QdMediaInfo& info) {
  info.Reset();
  info.FileName = fileName;
  switch (DetectContainer(fileName)) {
    case kDetectAvi:
      return AnalyzeAviFile(fileName, info);
    case kDetectIsoMedia:
      return DescribeMp4File(fileName, info);
    default:
      // The analyzers of the other families (ASF, and FFmpeg for the MPEG streams and
      // whatever else it opens) arrive with their engines. Until then those files are not
      // described, rather than described wrongly.
      return false;
  }
}

}  // namespace korvel
