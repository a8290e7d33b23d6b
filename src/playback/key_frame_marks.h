#pragma once
// What the play strip shows of the open file's key frames: their places on the seek bar and
// where a clip starting at the selection's start mark really starts.
#include <cstdint>
#include <string>
#include <vector>

#include "produce/key_frames.h"

namespace korvel {

// The seek bar values of the key frames, for a bar whose maximum stands for the duration.
std::vector<int32_t> KeyFrameBarValues(const TKeyFrameList& list, double duration, int maximum);

// "Real start 0:01:23.44, 12 frames earlier" for a start mark at markSeconds (taken to whole
// milliseconds as a clip takes it); empty when no key frame lies at or before it.
std::string RealStartCaption(const TKeyFrameList& list, double markSeconds);

}  // namespace korvel
