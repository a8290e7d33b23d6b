#pragma once
// The container kinds a description can carry, their display names and output extensions.
#include <cstdint>
#include <string>

#include "mediainfo/media_info.h"

namespace korvel {

enum QdKind : uint8_t {
  kKindNone = 0,
  kKindAvi = 1,
  kKindAsf = 2,
  kKindMpegPs = 3,
  kKindMpegTs = 4,
  kKindMp4Family = 5,
};

// Sub-kinds of kKindMpegTs.
inline constexpr uint8_t kSubKindBdav = 1;
// Sub-kinds of kKindMp4Family, as the MP4 analyzer sets them from the brand.
inline constexpr uint8_t kSubKindMp4 = 2;
inline constexpr uint8_t kSubKindM4a = 3;
inline constexpr uint8_t kSubKindM4v = 4;
inline constexpr uint8_t kSubKindMov = 5;
inline constexpr uint8_t kSubKind3gp = 6;
inline constexpr uint8_t kSubKind3g2 = 7;
inline constexpr uint8_t kSubKindMp4Unsupported = 8;
inline constexpr uint8_t kSubKindMp4Other = 9;

// "AVI", "ASF (WMV)", ... or "Unknown".
std::string KindName(uint8_t kind, uint8_t subKind);
// "avi", "wmv", ... or "" when the pair is not in the table.
std::string KindExtension(uint8_t kind, uint8_t subKind);

// The MP4 sub-kind of a detection brand code; 0 for anything that is not a brand code.
uint8_t SubKindFromBrand(int brandCode);

// Clips may be joined only within one family; program and transport streams mix.
bool IsSameKindFamily(const QdMediaInfo& a, const QdMediaInfo& b);

// A program stream with a standard-definition MPEG-2 video stream.
bool IsDvdMpeg2(const QdMediaInfo& info);

}  // namespace korvel
