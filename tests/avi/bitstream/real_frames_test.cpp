// The inspectors on frames made by real encoders, checked against the key flags the
// demuxer in ffprobe reports for the same packets.
#include <gtest/gtest.h>

#include <string>

#include "avi/bitstream/probed_video_packets.h"
#include "avi/bitstream/video_bitstream.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

// What an index rebuild reads of each chunk.
constexpr size_t kInspectedBytes = 100;
// x264 puts a SEI message of some 600 bytes with its settings in front of the first IDR slice;
// those 100 bytes end inside it, so the H.264 stream is inspected on a longer block.
constexpr size_t kH264InspectedBytes = 1024;

struct RealStream {
  const char* fixture;
  const char* fourcc;
  size_t inspectedBytes = kInspectedBytes;
};

class RealFramesTest : public ::testing::TestWithParam<RealStream> {};

bool InspectedAsKey(FOURCC fourcc, const std::vector<uint8_t>& head) {
  if (IsMpeg4Part2(fourcc)) return IsMpeg4KeyFrame(head.data(), head.size());
  const TVc1SequenceState noSequence;
  return FrameType(fourcc, head.data(), head.size(), noSequence) == kFrameKey;
}

TEST_P(RealFramesTest, KeyFramesAreExactlyThePacketsTheDemuxerFlags) {
  const auto& stream = GetParam();
  const FOURCC fourcc = FourCCFromText(stream.fourcc);
  ASSERT_TRUE(IsMpeg4Part2(fourcc) || HasFrameTypeInspector(fourcc)) << stream.fourcc;
  const auto packets = test::ProbeVideoPackets(test::Fixture(stream.fixture), stream.inspectedBytes);
  ASSERT_GE(packets.size(), 50u) << stream.fixture;
  size_t keys = 0;
  for (size_t i = 0; i < packets.size(); ++i) {
    EXPECT_EQ(InspectedAsKey(fourcc, packets[i].head), packets[i].key) << stream.fixture << " packet " << i;
    keys += packets[i].key;
  }
  EXPECT_GE(keys, 2u);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RealFramesTest,
                         ::testing::Values(RealStream{"avi_xvid_mp3.avi", "XVID"},
                                           RealStream{"avi_xvid_bframes.avi", "XVID"},
                                           RealStream{"avi_div3_pcm.avi", "DIV3"},
                                           RealStream{"avi_h264.avi", "H264", kH264InspectedBytes},
                                           RealStream{"asf_wmv2.wmv", "WMV2"},
                                           RealStream{"ogg_theora_vorbis.ogg", "THEO"}),
                         [](const auto& info) { return std::string(info.param.fourcc) + "_" + std::to_string(info.index); });

// The walker must tell the planes apart, not only find the intra ones.
TEST(RealFramesTest, Mpeg4CodingTypesMatchTheDecodedPictureTypes) {
  const auto file = test::Fixture("avi_xvid_bframes.avi");
  size_t counts[3] = {0, 0, 0};
  for (const auto& packet : test::ProbeVideoPackets(file, kInspectedBytes)) {
    const int32_t type = Mpeg4CodingType(packet.head.data(), packet.head.size());
    ASSERT_GE(type, 0);
    ASSERT_LE(type, 2);
    ++counts[type];
  }
  EXPECT_EQ(counts[0], test::CountDecodedPictures(file, 'I'));
  EXPECT_EQ(counts[1], test::CountDecodedPictures(file, 'P'));
  EXPECT_EQ(counts[2], test::CountDecodedPictures(file, 'B'));
  EXPECT_GT(counts[2], 0u);
}

// ffmpeg writes no parameter sets in the AVI header, so each IDR chunk carries its own.
TEST(RealFramesTest, H264KeyChunksCarryTheParameterSetsAndOthersDoNot) {
  const FOURCC h264 = FourCCFromText("H264");
  for (const auto& packet : test::ProbeVideoPackets(test::Fixture("avi_h264.avi"), kInspectedBytes)) {
    EXPECT_EQ(HasParameterSets(h264, packet.head.data(), packet.head.size()), packet.key);
  }
}

}  // namespace
}  // namespace korvel
