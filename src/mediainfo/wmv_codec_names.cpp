#include "mediainfo/wmv_codec_names.h"

#include <algorithm>

#include "base/fourcc.h"
#include "wmv/asf/asf_guids.h"

namespace korvel {
namespace {

using asf::FourCCGuid;
using asf::MakeGuid;

struct SubtypeName {
  Guid subtype;
  const char* name;
};

constexpr Guid kMpeg2Video = MakeGuid(0xE06D8026, 0xDB46, 0x11CF, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA});

constexpr Guid CharCodeGuid(const char (&code)[5]) { return FourCCGuid(MakeFourCC(code[0], code[1], code[2], code[3])); }

// First match wins: WVC1 and WMVA name the same profile.
constexpr SubtypeName kNames[] = {
    {FourCCGuid(0x0130), "ACELP.net"},
    {FourCCGuid(0x0161), "Windows Media Audio V9"},
    {FourCCGuid(0x0162), "Windows Media Audio V9 Professional"},
    {FourCCGuid(0x000A), "Windows Media Audio V9 Voice"},
    {FourCCGuid(0x0163), "Windows Media Audio V9 Lossless"},
    {FourCCGuid(0x0001), "Uncompress, PCM"},
    {kMpeg2Video, "MPEG-2 Video"},
    {CharCodeGuid("MP4S"), "ISO MPEG-4 Video V1"},
    {CharCodeGuid("MP43"), "Microsoft MPEG-4 Video V3"},
    {CharCodeGuid("MSS1"), "Windows Media Screen V7"},
    {CharCodeGuid("MSS2"), "Windows Media Screen V9"},
    {CharCodeGuid("WMV1"), "Windows Media Video V7"},
    {CharCodeGuid("WMV2"), "Windows Media Video V8"},
    {CharCodeGuid("WMV3"), "Windows Media Video V9"},
    {CharCodeGuid("WMVA"), "Windows Media Video V9 Advanced Profile"},
    {CharCodeGuid("WVC1"), "Windows Media Video V9 Advanced Profile"},
    {CharCodeGuid("WMVP"), "Windows Media Video V9 Image"},
    {asf::WMMEDIASUBTYPE_RGB555, "Uncompress, RGB16"},
    {asf::WMMEDIASUBTYPE_RGB24, "Uncompress, RGB24"},
    {asf::WMMEDIASUBTYPE_RGB32, "Uncompress, RGB32"},
    {CharCodeGuid("I420"), "Uncompress (I420)"},
    {CharCodeGuid("IYUV"), "Uncompress (IYUV)"},
    {CharCodeGuid("YV12"), "Uncompress (YV12)"},
    {CharCodeGuid("YUY2"), "Uncompress (YUY2)"},
    {CharCodeGuid("UYVY"), "Uncompress (UYVY)"},
    {CharCodeGuid("YVYU"), "Uncompress (YVYU)"},
};

}  // namespace

std::string CodecNameFromSubtype(const Guid& subtype) {
  const auto* found = std::ranges::find(kNames, subtype, &SubtypeName::subtype);
  return found == std::end(kNames) ? std::string() : found->name;
}

CodecLibraryEntry LookupCodecName(const asf::WmMediaType&) { return {}; }

}  // namespace korvel
