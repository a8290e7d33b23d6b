#include "mediainfo/container_kind.h"

#include <algorithm>
#include <array>

#include "mediainfo/detect_container.h"

namespace korvel {
namespace {

struct KindRow {
  uint8_t kind;
  uint8_t subKind;
  const char* name;
  const char* extension;
};

constexpr std::array<KindRow, 14> kKindTable{{
    {kKindAvi, 0, "AVI", "avi"},
    {kKindAsf, 0, "ASF (WMV)", "wmv"},
    {kKindMpegPs, 0, "MPEG-PS", "mpg"},
    {kKindMpegTs, 0, "MPEG2-TS", "ts"},
    {kKindMpegTs, kSubKindBdav, "BDAV M2TS", "m2ts"},
    {kKindMp4Family, kSubKindMp4, "MP4", "mp4"},
    {kKindMp4Family, kSubKindM4a, "M4A", "m4a"},
    {kKindMp4Family, kSubKindM4v, "M4V", "m4v"},
    {kKindMp4Family, kSubKindMov, "MOV", "mov"},
    {kKindMp4Family, kSubKind3gp, "3GP", "3gp"},
    {kKindMp4Family, kSubKind3g2, "3G2", "3g2"},
    {kKindMp4Family, kSubKindMp4Unsupported, "MP4", "mp4"},
    {kKindMp4Family, kSubKindMp4Other, "MP4", "mp4"},
    {kKindNone, 0, "Unknown", ""},
}};

const KindRow& FindKind(uint8_t kind, uint8_t subKind) {
  const auto it = std::find_if(kKindTable.begin(), kKindTable.end() - 1,
                               [&](const KindRow& row) { return row.kind == kind && row.subKind == subKind; });
  return *it;  // the last row, "Unknown", when nothing matched
}

// The code the FFmpeg demuxers give MPEG-2 video.
constexpr uint32_t kCodecIdMpeg2Video = 2;

}  // namespace

std::string KindName(uint8_t kind, uint8_t subKind) { return FindKind(kind, subKind).name; }

std::string KindExtension(uint8_t kind, uint8_t subKind) { return FindKind(kind, subKind).extension; }

uint8_t SubKindFromBrand(int brandCode) {
  switch (brandCode) {
    case kBrandMp4: return kSubKindMp4;
    case kBrandM4a: return kSubKindM4a;
    case kBrandM4v: return kSubKindM4v;
    case kBrandMov: return kSubKindMov;
    case kBrand3gp: return kSubKind3gp;
    case kBrand3g2: return kSubKind3g2;
    case kBrandOther: return kSubKindMp4Other;
    default: return 0;
  }
}

bool IsSameKindFamily(const QdMediaInfo& a, const QdMediaInfo& b) {
  const auto isMpegStream = [](uint8_t kind) { return kind == kKindMpegPs || kind == kKindMpegTs; };
  return a.Kind == b.Kind || (isMpegStream(a.Kind) && isMpegStream(b.Kind));
}

bool IsDvdMpeg2(const QdMediaInfo& info) {
  if (info.Kind != kKindMpegPs) return false;
  return std::any_of(info.Streams.begin(), info.Streams.end(), [](const QdMediaStream& s) {
    return s.CodecId == kCodecIdMpeg2Video && s.Width <= 720 && s.Height <= 576;
  });
}

}  // namespace korvel
