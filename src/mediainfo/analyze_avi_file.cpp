#include <algorithm>
#include <limits>

#include "avi/avi_structure_probe.h"
#include "mediainfo/avi_media_info.h"
#include "mediainfo/container_kind.h"

namespace korvel {
namespace {

// Chunk ids number streams with two decimal digits, so no AVI file can address more.
constexpr uint32_t kMaxAviStreams = 100;

}  // namespace

bool AnalyzeAviFile(const std::filesystem::path& fileName, QdMediaInfo& info) {
  info.Kind = kKindAvi;
  info.FreeStreams();
  const AviStructure structure = ProbeAviStructure(fileName);
  info.IndexOK = structure.hasIdx1;

  std::shared_ptr<IAVIReadHandler> handler;
  AviFileInfo fileInfo;
  if (Failed(CreateAviReadHandler(handler, fileName, [](const std::string&) {}, [](int32_t) {}, false, false)) ||
      Failed(handler->GetFileInfo(fileInfo))) {
    if (structure.isRiffAvi) info.IndexOK = false;
    return false;
  }

  const uint32_t count = std::min(fileInfo.dwStreams, kMaxAviStreams);
  info.AllocStreams(static_cast<int32_t>(count));
  for (uint32_t i = 0; i < count; ++i) {
    const std::unique_ptr<IAVIReadStream> stream = handler->GetStream(0, static_cast<int32_t>(i));
    if (!stream) return false;
    AviStreamInfo streamInfo;
    stream->Info(streamInfo);
    // A stream without format bytes is still described; only its format stays empty.
    if (Failed(AddAviStream(info, static_cast<int32_t>(i), streamInfo, stream->Format()))) return false;
    // The index's count, not the header's, which a damaged or unfinished file gets wrong.
    info.Duration = std::max(info.Duration, static_cast<int32_t>(std::clamp<int64_t>(
                                                stream->SampleToTime(stream->End()), 0, std::numeric_limits<int32_t>::max())));
  }
  return fileInfo.dwStreams <= kMaxAviStreams;
}

}  // namespace korvel
