// The codec name table of the ASF analyzer: whole 16-byte subtypes, first match, and nothing
// for a subtype it does not list.
#include "mediainfo/wmv_codec_names.h"

#include <gtest/gtest.h>

#include "base/fourcc.h"
#include "wmv/asf/asf_guids.h"

namespace korvel {
namespace {

using asf::FourCCGuid;
using asf::MakeGuid;

struct NameCase {
  Guid subtype;
  const char* name;
};

class WmvCodecNames : public testing::TestWithParam<NameCase> {};

TEST_P(WmvCodecNames, NamesTheSubtype) { EXPECT_EQ(CodecNameFromSubtype(GetParam().subtype), GetParam().name); }

INSTANTIATE_TEST_SUITE_P(
    Table, WmvCodecNames,
    testing::Values(NameCase{FourCCGuid(0x0161), "Windows Media Audio V9"},
                    NameCase{FourCCGuid(0x000A), "Windows Media Audio V9 Voice"},
                    NameCase{FourCCGuid(0x0001), "Uncompress, PCM"},
                    NameCase{FourCCGuid(MakeFourCC('W', 'M', 'V', '3')), "Windows Media Video V9"},
                    NameCase{FourCCGuid(MakeFourCC('W', 'V', 'C', '1')), "Windows Media Video V9 Advanced Profile"},
                    NameCase{FourCCGuid(MakeFourCC('Y', 'U', 'Y', '2')), "Uncompress (YUY2)"},
                    NameCase{asf::WMMEDIASUBTYPE_RGB24, "Uncompress, RGB24"},
                    NameCase{MakeGuid(0xE06D8026, 0xDB46, 0x11CF, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA}), "MPEG-2 Video"},
                    // Unknown ones stay empty: lower-case FOURCCs are other codes, RGB8 is not
                    // listed, and a known first field with another tail is another GUID.
                    NameCase{FourCCGuid(MakeFourCC('w', 'm', 'v', '3')), ""},
                    NameCase{FourCCGuid(MakeFourCC('H', '2', '6', '4')), ""},
                    NameCase{asf::WMMEDIASUBTYPE_RGB8, ""},
                    NameCase{MakeGuid(0x00000161, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x72}), ""},
                    NameCase{Guid{}, ""}));

}  // namespace
}  // namespace korvel
