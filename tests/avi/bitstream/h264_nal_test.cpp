// H.264 chunks with start codes: key frames by their first slice, and parameter sets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "avi/bitstream/video_bitstream.h"

namespace korvel {
namespace {

const std::vector<uint8_t> kDelimiter{0x00, 0x00, 0x00, 0x01, 0x09, 0xF0};
const std::vector<uint8_t> kSps{0x00, 0x00, 0x00, 0x01, 0x67, 0x42, 0xC0, 0x0B, 0xDA, 0x0A, 0x11, 0xF9, 0x00};
const std::vector<uint8_t> kPps{0x00, 0x00, 0x01, 0x68, 0xCE, 0x0F, 0xC8};
const std::vector<uint8_t> kSei{0x00, 0x00, 0x01, 0x06, 0x05, 0xFF, 0x80};
const std::vector<uint8_t> kIdr{0x00, 0x00, 0x01, 0x65, 0x88, 0x84, 0x00, 0x33, 0xFF};
const std::vector<uint8_t> kNonIdr{0x00, 0x00, 0x01, 0x41, 0x9A, 0x21, 0x6C, 0x41};
const std::vector<uint8_t> kUnreferencedIdr{0x00, 0x00, 0x01, 0x05, 0x88, 0x84, 0x00, 0x33};
const std::vector<uint8_t> kUnreferencedSps{0x00, 0x00, 0x01, 0x07, 0x42, 0xC0, 0x0B, 0xDA};

std::vector<uint8_t> Chunk(std::initializer_list<std::vector<uint8_t>> nals) {
  std::vector<uint8_t> chunk;
  for (const auto& nal : nals) chunk.insert(chunk.end(), nal.begin(), nal.end());
  return chunk;
}

struct NalCase {
  const char* name;
  std::vector<uint8_t> chunk;
  bool key;
  bool parameterSets;
};

class H264ChunkTest : public ::testing::TestWithParam<NalCase> {};

TEST_P(H264ChunkTest, KeyFrameAndParameterSets) {
  const auto& c = GetParam();
  const FOURCC h264 = FourCCFromText("H264");
  EXPECT_EQ(FrameType(h264, c.chunk.data(), c.chunk.size(), {}) == kFrameKey, c.key);
  EXPECT_EQ(HasParameterSets(h264, c.chunk.data(), c.chunk.size()), c.parameterSets);
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, H264ChunkTest,
    ::testing::Values(NalCase{"DelimiterSpsPpsIdr", Chunk({kDelimiter, kSps, kPps, kIdr}), true, true},
                      NalCase{"IdrAlone", Chunk({kIdr, kIdr}), true, false},
                      NalCase{"SeiThenNonIdr", Chunk({kDelimiter, kSei, kNonIdr}), false, false},
                      NalCase{"NonIdrBeforeIdr", Chunk({kNonIdr, kIdr}), false, false},
                      NalCase{"ParameterSetsBeforeNonIdr", Chunk({kSps, kPps, kNonIdr}), false, true},
                      NalCase{"UnreferencedIdr", Chunk({kUnreferencedIdr, kIdr}), false, false},
                      NalCase{"SpsAlone", Chunk({kSps, kSei}), false, false},
                      NalCase{"UnreferencedSps", Chunk({kUnreferencedSps, kPps, kIdr}), true, false},
                      NalCase{"NoStartCode", std::vector<uint8_t>(40, 0x65), false, false},
                      NalCase{"StartCodeAtTheEnd", Chunk({std::vector<uint8_t>(12, 0x11), {0x00, 0x00, 0x01}}), false,
                              false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(H264ParameterSetsTest, OnlyForH264BlocksOfTenBytesOrMore) {
  const auto chunk = Chunk({kSps, kPps});
  EXPECT_TRUE(HasParameterSets(FourCCFromText("x264"), chunk.data(), chunk.size()));
  EXPECT_FALSE(HasParameterSets(FourCCFromText("XVID"), chunk.data(), chunk.size()));
  const std::vector<uint8_t> tiny{0x00, 0x00, 0x01, 0x67, 0x00, 0x00, 0x01, 0x68, 0xCE};
  EXPECT_FALSE(HasParameterSets(FourCCFromText("H264"), tiny.data(), tiny.size()));
}

}  // namespace
}  // namespace korvel
