#pragma once
// The key frames of an AVI file's first video stream, from the reader's index, and the rule by
// which the lossless AVI join moves a clip's start back to one of them.
#include <cstdint>
#include <filesystem>
#include <optional>

#include "avi/avi_read_handler.h"
#include "produce/key_frames.h"

namespace korvel {

// Where a clip cut at the key frame `key` starts, in milliseconds. Times are whole
// milliseconds: the key frame's own time may map back to its neighbour, so the start is the
// first time near it that really lands on a key frame.
int64_t AviKeyFrameStartMs(const IAVIReadStream& video, int64_t key);

// The key frames of the stream as the lossless AVI join chooses among them.
TKeyFrameList AviKeyFrames(const IAVIReadStream& video, const TStopFlag* stop = nullptr);

// Opens the file as the AVI engine does (rebuilding a missing index) and lists the key frames of
// its first video stream. Nothing when it cannot be opened, has no video, or was stopped.
std::optional<TKeyFrameList> ListAviKeyFrames(const std::filesystem::path& file, const TStopFlag* stop = nullptr);

}  // namespace korvel
