#include "mediainfo/analyze_media_file.h"

#include "mediainfo/avi_media_info.h"
#include "mediainfo/detect_container.h"
#include "mediainfo/ffm_media_info.h"
#include "mediainfo/mp4_media_info.h"
#include "mediainfo/wmv_media_info.h"

namespace korvel {

bool AnalyzeMediaFile(const std::filesystem::path& fileName, QdMediaInfo& info) {
  info.Reset();
  info.FileName = fileName;
  switch (DetectContainer(fileName)) {
    case kDetectAvi:
      return AnalyzeAviFile(fileName, info);
    case kDetectAsf:
      return DescribeWmvFile(fileName, info);
    case kDetectIsoMedia:
      return DescribeMp4File(fileName, info);
    default:
      // Everything else is FFmpeg's to open; it refuses what this program does not join.
      return DescribeFfmFile(fileName, info);
  }
}

}  // namespace korvel
