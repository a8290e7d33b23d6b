// The MPEG-4 Part 2 header walker on hand-made chunks, and its layer parser on real headers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "avi/bitstream/bit_writer.h"
#include "avi/bitstream/mpeg4_vol.h"
#include "avi/bitstream/probed_video_packets.h"
#include "avi/bitstream/video_bitstream.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::BitWriter;

const std::vector<uint8_t> kVisualObjectSequence{0x00, 0x00, 0x01, 0xB0, 0x01};
const std::vector<uint8_t> kVideoObject{0x00, 0x00, 0x01, 0x00};

// A rectangular 160x120 layer with the fields ffmpeg's encoder leaves at their defaults.
BitWriter& PutLayer(BitWriter& w) {
  w.Bytes({0x00, 0x00, 0x01, 0x20}).Put(0, 1).Put(1, 8).Put(0, 1).Put(1, 4).Put(0, 1);
  w.Put(0, 2).Put(1, 1).Put(25, 16).Put(1, 1).Put(0, 1);  // shape, marker, resolution, marker, not fixed
  w.Put(1, 1).Put(160, 13).Put(1, 1).Put(120, 13).Put(1, 1);
  w.Put(0, 1).Put(1, 1).Put(0, 1).Put(0, 1).Put(0, 1);  // interlaced, OBMC off, sprite, not 8-bit, H.263 quant
  w.Put(1, 1).Put(1, 1).Put(0, 1).Put(0, 1);  // complexity off, resync off, not partitioned, not scalable
  return w.Stuff();
}

struct WalkCase {
  const char* name;
  std::vector<uint8_t> chunk;
  int32_t expected;
};

class Mpeg4WalkTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(Mpeg4WalkTest, CodingTypeOfTheFirstPlane) {
  const auto& c = GetParam();
  EXPECT_EQ(Mpeg4CodingType(c.chunk.data(), c.chunk.size()), c.expected);
  EXPECT_EQ(IsMpeg4KeyFrame(c.chunk.data(), c.chunk.size()), c.expected == 0);
}

std::vector<uint8_t> Vop(uint32_t codingType) {
  return BitWriter().Bytes({0x00, 0x00, 0x01, 0xB6}).Put(codingType, 2).Padded(12);
}

std::vector<uint8_t> HeadersOnly() {
  BitWriter w;
  w.Bytes(kVisualObjectSequence).Bytes({0x00, 0x00, 0x01, 0xB5}).Put(0, 1).Put(1, 4).Put(0, 1).Stuff();
  w.Bytes(kVideoObject);
  return PutLayer(w).Padded(0);
}

std::vector<uint8_t> HeadersThenVop(uint32_t codingType) {
  BitWriter w;
  w.Bytes(kVisualObjectSequence).Bytes(kVideoObject);
  PutLayer(w).Bytes({0x00, 0x00, 0x01, 0xB2, 'x', 'v', 'i', 'd'});  // user data
  w.Bytes({0x00, 0x00, 0x01, 0xB3}).Put(0, 18).Put(1, 1).Put(0, 1).Stuff();  // group of VOP
  return w.Bytes({0x00, 0x00, 0x01, 0xB6}).Put(codingType, 2).Padded(60);
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, Mpeg4WalkTest,
    ::testing::Values(WalkCase{"IntraPlane", Vop(0), 0}, WalkCase{"PredictedPlane", Vop(1), 1},
                      WalkCase{"BidirectionalPlane", Vop(2), 2}, WalkCase{"SpritePlane", Vop(3), 3},
                      WalkCase{"HeadersOnly", HeadersOnly(), 0}, WalkCase{"HeadersThenIntra", HeadersThenVop(0), 0},
                      WalkCase{"HeadersThenBidirectional", HeadersThenVop(2), 2},
                      WalkCase{"Garbage", std::vector<uint8_t>(100, 0x5A), -1},
                      WalkCase{"StartCodeGarbage", {0x00, 0x00, 0x01, 0xC4, 0x00, 0x00, 0x01, 0x00, 0x11, 0x22}, -1},
                      // a still-texture visual object has no planes to look at
                      WalkCase{"StillTextureObject",
                               BitWriter().Bytes({0x00, 0x00, 0x01, 0xB5}).Put(0, 1).Put(2, 4).Stuff().Bytes(Vop(0)).Padded(0),
                               -1},
                      // an object header that ends the block leaves the walker at its end
                      WalkCase{"CutObjectHeader", {0x00, 0x00, 0x01, 0xB5, 0x80}, -1},
                      // user data must not swallow the start code after it
                      WalkCase{"UserDataThenPlane",
                               BitWriter().Bytes({0x00, 0x00, 0x01, 0xB2, 'a', 'b'}).Bytes(Vop(1)).Padded(0), 1}),
    [](const auto& info) { return std::string(info.param.name); });

// The layer parser ends exactly where the encoder's stuffing begins: a zero bit, then ones up to
// the byte boundary, then the next start code.
void ExpectLayerEndsAtStuffing(const std::vector<uint8_t>& chunk, const std::string& what) {
  size_t layer = 0;
  while (layer + 4 <= chunk.size() && !(chunk[layer] == 0 && chunk[layer + 1] == 0 && chunk[layer + 2] == 1 &&
                                         (chunk[layer + 3] & 0xF0) == 0x20)) {
    ++layer;
  }
  ASSERT_LT(layer + 4, chunk.size()) << what << ": no layer header";
  BitReader reader(std::span<const uint8_t>(chunk).subspan(layer + 4));
  SkipVideoObjectLayer(reader);
  ASSERT_FALSE(reader.Overrun()) << what;
  EXPECT_EQ(reader.Read(1), 0u) << what;
  while (reader.BitPosition() % 8 != 0) EXPECT_EQ(reader.Read(1), 1u) << what;
  EXPECT_EQ(reader.Read(24), 1u) << what;
}

TEST(Mpeg4LayerTest, ParsesRealAndHandMadeLayersToTheirLastField) {
  for (const char* fixture : {"avi_xvid_mp3.avi", "avi_xvid_bframes.avi"}) {
    const auto packets = test::ProbeVideoPackets(test::Fixture(fixture), 200);
    ASSERT_FALSE(packets.empty()) << fixture;
    ExpectLayerEndsAtStuffing(packets[0].head, fixture);
  }
  BitWriter w;
  ExpectLayerEndsAtStuffing(PutLayer(w).Bytes(Vop(0)).Padded(0), "hand-made");
}

// Version 2 layer with every optional part the parser follows.
TEST(Mpeg4LayerTest, FollowsOptionalFieldsAndQuantiserMatrices) {
  BitWriter w;
  w.Put(1, 1).Put(17, 8).Put(1, 1).Put(2, 4).Put(3, 3);                     // verid 2
  w.Put(15, 4).Put(12, 8).Put(11, 8);                                       // extended PAR
  w.Put(1, 1).Put(1, 2).Put(1, 1).Put(1, 1).Put(0x7FFF, 15).Put(1, 1).Put(0x7FFF, 15).Put(1, 1);
  w.Put(0x7FFF, 15).Put(1, 1).Put(7, 3).Put(0x7FF, 11).Put(1, 1).Put(0x7FFF, 15).Put(1, 1);  // VBV
  w.Put(0, 2).Put(1, 1).Put(30000, 16).Put(1, 1).Put(1, 1).Put(1001, 15);   // fixed rate: 15 bits
  w.Put(1, 1).Put(320, 13).Put(1, 1).Put(240, 13).Put(1, 1).Put(0, 1).Put(1, 1);
  w.Put(2, 2).Put(0, 6).Put(1, 2).Put(0, 1);                                // GMC sprite
  w.Put(1, 1).Put(5, 4).Put(9, 4);                                          // not 8-bit
  w.Put(1, 1).Put(1, 1);                                                    // MPEG quant, intra matrix
  for (int i = 0; i < 64; ++i) w.Put(8 + i, 8);
  w.Put(1, 1).Put(16, 8).Put(17, 8).Put(0, 8);                              // non-intra, ended early
  w.Put(1, 1).Put(1, 1).Put(0, 1).Put(1, 1).Put(1, 1);                      // quarter, no complexity, resync, partitioned, RVLC
  w.Put(1, 1).Put(2, 2).Put(1, 1).Put(0, 1);                                // newpred, reduced resolution
  w.Put(1, 1).Put(0, 1).Put(3, 4).Put(1, 1).Put(0x155555, 20).Put(1, 1);    // scalability
  const size_t fieldBits = w.BitCount();
  const auto bytes = w.Put(0x7F, 8).Padded(0);
  BitReader reader(bytes);
  SkipVideoObjectLayer(reader);
  EXPECT_FALSE(reader.Overrun());
  EXPECT_EQ(reader.BitPosition(), fieldBits);
}

}  // namespace
}  // namespace korvel
