#include "mp4/mp4_key_frames.h"

#include "mp4/mp4_lossless_producer.h"
#include "mp4/mp4_source_reader.h"

namespace korvel {
namespace {

constexpr uint32_t kMicroseconds = 1000000;
constexpr int64_t kUsPerMs = 1000;
// How often a long listing looks at the stop flag.
constexpr uint32_t kStopCheckEvery = 4096;
// Converting between milliseconds and a track's ticks rounds down on each side, so the first
// mark that reaches a sample lies within a step or two of its time.
constexpr int kMostMarkSteps = 8;

uint64_t ToUs(uint64_t ticks, uint32_t timeScale) {
  return TProducerMp4Lossless::RescaleTime(ticks, timeScale, kMicroseconds);
}

// The sync sample the join starts a clip at when its selection starts at markMs.
iso::MP4SampleId CutSampleForMark(const iso::IsoTrack& track, uint32_t timeScale, int64_t markMs) {
  const iso::MP4SampleId at = Mp4SampleAtTime(track, timeScale, static_cast<uint64_t>(markMs) * kUsPerMs);
  return at == iso::MP4_INVALID_SAMPLE_ID ? at : Mp4SyncAtOrBefore(track, at);
}

// The earliest whole millisecond the join moves back to sync sample `id`, not an earlier one.
int64_t FirstMarkOf(const iso::IsoTrack& track, uint32_t timeScale, iso::MP4SampleId id, uint64_t timeUs) {
  const auto reaches = [&](int64_t markMs) {
    const iso::MP4SampleId cut = CutSampleForMark(track, timeScale, markMs);
    return cut != iso::MP4_INVALID_SAMPLE_ID && cut >= id;
  };
  auto markMs = static_cast<int64_t>(timeUs / kUsPerMs);
  for (int step = 0; step < kMostMarkSteps && markMs > 0 && reaches(markMs - 1); ++step) --markMs;
  for (int step = 0; step < kMostMarkSteps && !reaches(markMs); ++step) ++markMs;
  return markMs;
}

}  // namespace

iso::MP4SampleId Mp4SampleAtTime(const iso::IsoTrack& track, uint32_t timeScale, uint64_t us) {
  return track.GetSampleIdFromTime(TProducerMp4Lossless::RescaleTime(us, kMicroseconds, timeScale), false);
}

iso::MP4SampleId Mp4SyncAtOrBefore(const iso::IsoTrack& track, iso::MP4SampleId id) {
  while (id > 1 && !track.GetSampleSync(id)) --id;
  return id;
}

TKeyFrameList Mp4KeyFrames(const iso::IsoTrack& track, uint32_t timeScale, const TStopFlag* stop) {
  TKeyFrameList list;
  const uint32_t count = track.GetNumberOfSamples();
  if (count > 0) list.FrameDurationUs = static_cast<int64_t>(ToUs(track.GetSampleDuration(1), timeScale));
  for (iso::MP4SampleId id = 1; id <= count; ++id) {
    if (id % kStopCheckEvery == 0 && stop && stop->load(std::memory_order_relaxed)) break;
    if (!track.GetSampleSync(id)) continue;
    // The first sample starts the file, whatever its time says.
    const uint64_t timeUs = id == 1 ? 0 : ToUs(track.GetSampleTime(id), timeScale);
    AddKeyFrame(list, {static_cast<int64_t>(timeUs), FirstMarkOf(track, timeScale, id, timeUs)});
  }
  return list;
}

std::optional<TKeyFrameList> ListMp4KeyFrames(const std::filesystem::path& file, const TStopFlag* stop) {
  TMp4SourceReader reader;
  if (!reader.OpenSource(file) || !reader.Source()) return std::nullopt;
  for (const auto& info : reader.CurrentInfo().Tracks) {
    if (!info || info->Skipped || !info->IsVideo) continue;
    const iso::IsoTrack* track = reader.Source()->Track(info->TrackId);
    if (!track) return std::nullopt;
    TKeyFrameList list = Mp4KeyFrames(*track, info->TimeScale, stop);
    if (stop && stop->load(std::memory_order_relaxed)) return std::nullopt;
    return list;
  }
  return std::nullopt;
}

}  // namespace korvel
