#include "wmv/wmv_key_frames.h"

#include <algorithm>
#include <memory>

#include "wmv/asf/asf_byte_stream.h"
#include "wmv/asf/asf_clean_point_scan.h"
#include "wmv/asf/asf_file.h"
#include "wmv/asf/asf_sample_timing.h"

namespace korvel {
namespace {

constexpr uint64_t kTicksPerUs = 10;
constexpr uint64_t kTicksPerMs = 10000;

}  // namespace

std::optional<TKeyFrameList> ListWmvKeyFrames(const std::filesystem::path& file, const TStopFlag* stop) {
  std::shared_ptr<asf::AsfByteStream> stream;
  if (Failed(asf::OpenFileByteStream(file, stream))) return std::nullopt;
  asf::AsfFile asf;
  if (Failed(asf::OpenAsfFile(std::move(stream), asf))) return std::nullopt;
  const uint16_t video = asf::FirstVideoStream(asf);
  if (video == 0) return std::nullopt;
  const asf::AsfSampleTiming timing(asf);
  asf::AsfCleanPoints points = asf::ListCleanPoints(asf, timing, video, stop);
  if (stop && stop->load(std::memory_order_relaxed)) return std::nullopt;
  TKeyFrameList list;
  list.FrameDurationUs = static_cast<int64_t>(points.frameStep / kTicksPerUs);
  // The search takes the latest clean point at or before a clip's start, whatever order the
  // packets hold them in.
  std::ranges::sort(points.times);
  for (const uint64_t time : points.times)
    AddKeyFrame(list, {static_cast<int64_t>(time / kTicksPerUs),
                       static_cast<int64_t>((time + kTicksPerMs - 1) / kTicksPerMs)});
  return list;
}

}  // namespace korvel
