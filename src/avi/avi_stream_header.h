#pragma once
// The AVI stream header ("strh") as the reader finds it and the writer writes it.
#include <cstdint>

#include "base/fourcc.h"

namespace korvel {

inline constexpr FOURCC kStreamTypeVideo = MakeFourCC('v', 'i', 'd', 's');
inline constexpr FOURCC kStreamTypeAudio = MakeFourCC('a', 'u', 'd', 's');

// The AVI stream header ("strh"), field for field.
struct AviStreamHeader {
  FOURCC fccType = 0;
  FOURCC fccHandler = 0;
  uint32_t dwFlags = 0;
  uint16_t wPriority = 0;
  uint16_t wLanguage = 0;
  uint32_t dwInitialFrames = 0;
  uint32_t dwScale = 0;
  uint32_t dwRate = 0;
  uint32_t dwStart = 0;
  uint32_t dwLength = 0;
  uint32_t dwSuggestedBufferSize = 0;
  uint32_t dwQuality = 0;
  uint32_t dwSampleSize = 0;
  int16_t rcLeft = 0;
  int16_t rcTop = 0;
  int16_t rcRight = 0;
  int16_t rcBottom = 0;
};
inline constexpr uint32_t kAviStreamHeaderSize = 56;

}  // namespace korvel
