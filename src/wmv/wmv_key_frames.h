#pragma once
// The clean points of an ASF file's first video stream, as the WMV engines' reader finds them
// when it moves a clip's start back to the clean point at or before it.
#include <filesystem>
#include <optional>

#include "produce/key_frames.h"

namespace korvel {

// Nothing when the file cannot be read as ASF, has no video, or the listing was stopped.
std::optional<TKeyFrameList> ListWmvKeyFrames(const std::filesystem::path& file, const TStopFlag* stop = nullptr);

}  // namespace korvel
