#include "avi/avi_key_frames.h"

#include <memory>

#include "avi/avi_stream_header.h"

namespace korvel {
namespace {

// How often a long listing looks at the stop flag.
constexpr int kStopCheckEvery = 4096;

// The earliest whole millisecond the engine maps to `key` or a later frame.
int64_t FirstMarkOf(const IAVIReadStream& video, int64_t key) {
  int64_t ms = video.SampleToTime(key);
  while (ms > 0 && video.TimeToSample(ms - 1) >= key) --ms;
  while (video.TimeToSample(ms) < key) ++ms;
  return ms;
}

}  // namespace

int64_t AviKeyFrameStartMs(const IAVIReadStream& video, int64_t key) {
  const int64_t ms = video.SampleToTime(key);
  if (video.IsKeyFrame(video.TimeToSample(ms))) return ms;
  for (const int64_t candidate : {key + 1, key - 1, key + 2, key - 2}) {
    const int64_t time = video.SampleToTime(candidate);
    if (video.IsKeyFrame(video.TimeToSample(time))) return time;
  }
  return ms;
}

TKeyFrameList AviKeyFrames(const IAVIReadStream& video, const TStopFlag* stop) {
  TKeyFrameList list;
  AviStreamInfo info;
  video.Info(info);
  if (info.dwRate != 0) list.FrameDurationUs = static_cast<int64_t>(1000000.0 * info.dwScale / info.dwRate);
  int64_t key = video.IsKeyFrame(0) ? 0 : video.NextKeyFrame(0);
  for (int count = 1; key >= 0; key = video.NextKeyFrame(key), ++count) {
    if (count % kStopCheckEvery == 0 && stop && stop->load(std::memory_order_relaxed)) break;
    AddKeyFrame(list, {AviKeyFrameStartMs(video, key) * 1000, FirstMarkOf(video, key)});
  }
  return list;
}

std::optional<TKeyFrameList> ListAviKeyFrames(const std::filesystem::path& file, const TStopFlag* stop) {
  std::shared_ptr<IAVIReadHandler> handler;
  const auto progress = [&](int32_t) {
    if (stop && stop->load(std::memory_order_relaxed) && handler) handler->Abort();
  };
  if (Failed(CreateAviReadHandler(handler, file, nullptr, progress, false, false))) return std::nullopt;
  const std::unique_ptr<IAVIReadStream> video = handler->GetStream(kStreamTypeVideo, 0);
  if (!video) return std::nullopt;
  TKeyFrameList list = AviKeyFrames(*video, stop);
  if (stop && stop->load(std::memory_order_relaxed)) return std::nullopt;
  return list;
}

}  // namespace korvel
