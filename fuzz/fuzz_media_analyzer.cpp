// The media analysis a file gets when it is added to a clip list: container detection, then the
// analyzer of its family (AVI with its structure probe, ASF through the asynchronous reader with
// its codec names, the MP4 family, or FFmpeg for everything else), and the stream fields and
// audio format texts the user is shown.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

extern "C" {
#include <libavutil/log.h>
}

#include "avi/avi_structure_probe.h"
#include "base/byte_view.h"
#include "fuzz/memory_file.h"
#include "mediainfo/analyze_media_file.h"
#include "mediainfo/audio_format_text.h"
#include "mediainfo/media_info.h"
#include "mediainfo/stream_fields.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  av_log_set_level(AV_LOG_QUIET);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  (void)korvel::HasAviHeaderList(korvel::ByteView(bytes));
  (void)korvel::AudioFormatText(bytes, true);

  const korvel::fuzz::MemoryFile file(data, size);
  if (!file.Valid()) return 0;
  (void)korvel::ProbeAviStructure(file.Path());
  korvel::QdMediaInfo info;
  if (!korvel::AnalyzeMediaFile(file.Path(), info)) return 0;
  for (const korvel::QdMediaStream& stream : info.Streams) {
    korvel::ForEachStreamField(stream, [](std::string_view, const korvel::StreamFieldValue&, bool) {});
    if (stream.StreamType == korvel::kStreamAudio) (void)korvel::AudioFormatText(stream.Format, true);
  }
  return 0;
}
