#pragma once
// What the first bytes of a compressed video frame say about it. An AVI index that has to be
// rebuilt must still know its key frames, and the container does not tell: these inspectors read
// a block of at most about 100 bytes of a chunk, most significant bit first, and never read past
// the length given.
#include <cstddef>
#include <cstdint>

#include "base/fourcc.h"

namespace korvel {

// Codec families with a frame-type inspector, chosen by the stream's fccHandler.
enum TCodecFamily : int32_t {
  kCodecNone = 0,
  kCodecMsMpeg4V1 = 1011,
  kCodecMsMpeg4V2 = 1012,
  kCodecMsMpeg4V3 = 1013,
  kCodecWmv7 = 1014,
  kCodecWmv8 = 1021,
  kCodecWmv9 = 1031,
  kCodecVc1Advanced = 1032,
  kCodecVp3 = 1041,
  kCodecTheora = 1042,
  kCodecVp5Vp60 = 1051,
  kCodecVp61Vp62 = 1061,
  kCodecVp6Flash = 1062,
  kCodecH264 = 1071,
};

// Frame types FrameType returns; only kFrameKey is a key frame.
inline constexpr int32_t kFrameUnknown = -1;
inline constexpr int32_t kFrameNotKey = 0;  // a block too short to tell
inline constexpr int32_t kFrameKey = 1;
inline constexpr int32_t kFramePredicted = 2;
inline constexpr int32_t kFrameBidirectional = 3;
inline constexpr int32_t kFrameBi = 7;

// The sequence-level VC-1 / WMV9 settings the frame header depends on; zero when unknown.
struct TVc1SequenceState {
  uint32_t Profile = 0;  // 0-3, 3 = advanced
  uint32_t Interlace = 0;
  uint32_t FrameInterpolation = 0;
  uint32_t RangeReduction = 0;
  uint32_t MaxBFrames = 0;
};

// fourcc as stored in the file (base/fourcc.h: the first character in the lowest byte).
bool IsMpeg4Part2(FOURCC fourcc);
// The coding type of the first video object plane: 0 I, 1 P, 2 B, 3 S; -1 when none is found.
// A block holding only sequence, object and layer headers counts as 0.
int32_t Mpeg4CodingType(const uint8_t* data, size_t length);
bool IsMpeg4KeyFrame(const uint8_t* data, size_t length);

int32_t CodecFamily(FOURCC fourcc);
bool HasFrameTypeInspector(FOURCC fourcc);
// Reads the sequence settings from a video format block (a 40-byte BITMAPINFOHEADER followed by
// the codec's extra data); leaves state alone for other families or without extra data.
void InitVc1State(FOURCC fourcc, const uint8_t* format, size_t formatSize, TVc1SequenceState& state);
// One of the kFrame* values.
int32_t FrameType(FOURCC fourcc, const uint8_t* data, size_t length, const TVc1SequenceState& state);

// True for H.264 data of at least 10 bytes that holds both a sequence and a picture parameter set.
bool HasParameterSets(FOURCC fourcc, const uint8_t* data, size_t length);

}  // namespace korvel
