#pragma once
// The frame-type inspectors that need more than a bit or two; blocks are at least
// kMinInspectedLength bytes long when they are called.
#include <cstdint>
#include <span>

#include "avi/bitstream/video_bitstream.h"

namespace korvel {

int32_t Vc1FrameType(int32_t family, std::span<const uint8_t> data, const TVc1SequenceState& state);
// kFrameKey when the first slice is an IDR slice, otherwise kFrameUnknown.
int32_t H264FrameType(std::span<const uint8_t> data);

}  // namespace korvel
