#pragma once
// The key frames of a source, listed by the engine that would cut it: the one a join of the
// file's container kind runs.
#include <cstdint>
#include <filesystem>
#include <optional>

#include "produce/key_frames.h"

namespace korvel {

// Nothing when no engine takes the kind, the file cannot be read or has no video, or the
// listing was stopped.
std::optional<TKeyFrameList> ListKeyFrames(const std::filesystem::path& file, uint8_t kind, uint8_t subKind,
                                           const TStopFlag* stop = nullptr);

}  // namespace korvel
