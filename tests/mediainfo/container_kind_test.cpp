#include "mediainfo/container_kind.h"

#include <gtest/gtest.h>

#include "mediainfo/detect_container.h"

namespace korvel {
namespace {

struct KindCase {
  uint8_t kind;
  uint8_t subKind;
  const char* name;
  const char* extension;
};

class KindTableTest : public testing::TestWithParam<KindCase> {};

TEST_P(KindTableTest, NamesAndExtensions) {
  const KindCase& c = GetParam();
  EXPECT_EQ(KindName(c.kind, c.subKind), c.name);
  EXPECT_EQ(KindExtension(c.kind, c.subKind), c.extension);
}

INSTANTIATE_TEST_SUITE_P(
    Table, KindTableTest,
    testing::Values(KindCase{1, 0, "AVI", "avi"}, KindCase{2, 0, "ASF (WMV)", "wmv"}, KindCase{3, 0, "MPEG-PS", "mpg"},
                    KindCase{4, 0, "MPEG2-TS", "ts"}, KindCase{4, 1, "BDAV M2TS", "m2ts"}, KindCase{5, 2, "MP4", "mp4"},
                    KindCase{5, 3, "M4A", "m4a"}, KindCase{5, 4, "M4V", "m4v"}, KindCase{5, 5, "MOV", "mov"},
                    KindCase{5, 6, "3GP", "3gp"}, KindCase{5, 7, "3G2", "3g2"}, KindCase{5, 8, "MP4", "mp4"},
                    KindCase{5, 9, "MP4", "mp4"},
                    // The FFmpeg analyzer's MP4-family files keep sub-kind 0, which has no extension.
                    KindCase{5, 0, "Unknown", ""}, KindCase{0, 0, "Unknown", ""}, KindCase{6, 0, "Unknown", ""},
                    KindCase{1, 3, "Unknown", ""}, KindCase{4, 2, "Unknown", ""}));

TEST(ContainerKindTest, BrandCodesMapToSubKinds) {
  EXPECT_EQ(SubKindFromBrand(kBrandMp4), kSubKindMp4);
  EXPECT_EQ(SubKindFromBrand(kBrandM4a), kSubKindM4a);
  EXPECT_EQ(SubKindFromBrand(kBrandM4v), kSubKindM4v);
  EXPECT_EQ(SubKindFromBrand(kBrandMov), kSubKindMov);
  EXPECT_EQ(SubKindFromBrand(kBrand3gp), kSubKind3gp);
  EXPECT_EQ(SubKindFromBrand(kBrand3g2), kSubKind3g2);
  EXPECT_EQ(SubKindFromBrand(kBrandOther), kSubKindMp4Other);
  EXPECT_EQ(SubKindFromBrand(-1), 0);
  EXPECT_EQ(SubKindFromBrand(kSubTypeMpeg2), 0);
}

QdMediaInfo Described(uint8_t kind) {
  QdMediaInfo info;
  info.Kind = kind;
  return info;
}

TEST(ContainerKindTest, OnlyProgramAndTransportStreamsMix) {
  EXPECT_TRUE(IsSameKindFamily(Described(kKindMpegPs), Described(kKindMpegTs)));
  EXPECT_TRUE(IsSameKindFamily(Described(kKindMpegTs), Described(kKindMpegPs)));
  EXPECT_TRUE(IsSameKindFamily(Described(kKindAvi), Described(kKindAvi)));
  EXPECT_FALSE(IsSameKindFamily(Described(kKindAvi), Described(kKindMp4Family)));
  EXPECT_FALSE(IsSameKindFamily(Described(kKindMpegPs), Described(kKindMp4Family)));
}

TEST(ContainerKindTest, DvdMpeg2NeedsAStandardDefinitionMpeg2VideoInAProgramStream) {
  QdMediaInfo info = Described(kKindMpegPs);
  info.AllocStreams(2);
  info.Streams[0].CodecId = 86016;  // some audio codec
  info.Streams[1].CodecId = 2;
  info.Streams[1].Width = 720;
  info.Streams[1].Height = 576;
  EXPECT_TRUE(IsDvdMpeg2(info));

  info.Streams[1].Height = 1088;
  EXPECT_FALSE(IsDvdMpeg2(info));

  info.Streams[1].Height = 480;
  info.Kind = kKindMpegTs;
  EXPECT_FALSE(IsDvdMpeg2(info));
}

}  // namespace
}  // namespace korvel
