#pragma once
// The sync samples of an MP4 file's video track, from its sample table, and the search by which
// the lossless MP4 join moves a clip's start back to one of them.
#include <cstdint>
#include <filesystem>
#include <optional>

#include "mp4/iso/iso_file.h"
#include "produce/key_frames.h"

namespace korvel {

// The sample whose decode interval holds the time (microseconds on the track's decode
// timeline); MP4_INVALID_SAMPLE_ID past the end.
iso::MP4SampleId Mp4SampleAtTime(const iso::IsoTrack& track, uint32_t timeScale, uint64_t us);
// The sync sample at or before the sample, or the first sample when none is.
iso::MP4SampleId Mp4SyncAtOrBefore(const iso::IsoTrack& track, iso::MP4SampleId id);

// The sync samples of the track as the lossless MP4 join chooses among them.
TKeyFrameList Mp4KeyFrames(const iso::IsoTrack& track, uint32_t timeScale, const TStopFlag* stop = nullptr);

// Opens the file as the MP4 engine does and lists the sync samples of its first video track.
// Nothing when it cannot be read, has no video, or was stopped.
std::optional<TKeyFrameList> ListMp4KeyFrames(const std::filesystem::path& file, const TStopFlag* stop = nullptr);

}  // namespace korvel
