#include "mediainfo/analyze_media_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "mediainfo/avi_media_info.h"
#include "mediainfo/detect_container.h"
#include "mediainfo/ffm_media_info.h"
#include "mediainfo/mp4_media_info.h"
#include "mediainfo/wmv_media_info.h"

namespace korvel {
namespace {

// 0 when the file opens for reading, else the system's reason; a named pipe or a device is no
// media file and is refused with EINVAL before any analyzer waits on it.
int ReadableFileError(const std::filesystem::path& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno;
  struct stat status {};
  const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  ::close(fd);
  return regular ? 0 : EINVAL;
}

}  // namespace

bool AnalyzeMediaFile(const std::filesystem::path& fileName, QdMediaInfo& info) {
  info.Reset();
  info.FileName = fileName;
  info.ReadError = ReadableFileError(fileName);
  if (info.ReadError != 0) return false;
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
