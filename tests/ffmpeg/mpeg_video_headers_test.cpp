// The byte-level MPEG video work of the FFmpeg engine on headers built bit by bit.
#include "ffmpeg/mpeg_video_headers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "base/bit_reader.h"

namespace korvel {
namespace {

// Appends fields most significant bit first.
class BitWriter {
public:
  BitWriter& Put(uint32_t value, unsigned bits) {
    for (unsigned i = bits; i-- > 0;) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> (used_ % 8));
      ++used_;
    }
    return *this;
  }
  BitWriter& Bytes(std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) Put(b, 8);
    return *this;
  }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
  std::vector<uint8_t> bytes_;
  size_t used_ = 0;
};

struct Picture {
  int width;
  int height;
  int aspect;
  bool displayExtension;
  bool colourDescription;
};

// A key packet as an MPEG-2 encoder writes it: sequence header, sequence extension, optionally
// a sequence display extension, GOP header and an I picture header.
std::vector<uint8_t> KeyPacket(const Picture& p) {
  BitWriter w;
  w.Bytes({0, 0, 1, 0xB3}).Put(p.width, 12).Put(p.height, 12).Put(p.aspect, 4).Put(3, 4);
  w.Put(20000, 18).Put(1, 1).Put(112, 10).Put(0, 3);
  w.Bytes({0, 0, 1, 0xB5, 0x14, 0x8A, 0x00, 0x01, 0x00, 0x00});
  if (p.displayExtension) {
    w.Bytes({0, 0, 1, 0xB5}).Put(2, 4).Put(5, 3).Put(p.colourDescription ? 1 : 0, 1);
    if (p.colourDescription) w.Bytes({1, 1, 1});
    w.Put(p.width, 14).Put(1, 1).Put(p.height, 14).Put(0, 3);
  }
  w.Bytes({0, 0, 1, 0xB8, 0x00, 0x08, 0x00, 0x00});
  w.Bytes({0, 0, 1, 0x00}).Put(0, 10).Put(1, 3).Put(0xFFFF, 16).Put(0, 3);
  w.Bytes({0, 0, 1, 0x01, 0x12, 0x34, 0x56, 0x78});
  return w.Take();
}

struct SequenceFields {
  int width;
  int height;
  int aspect;
};

SequenceFields ReadSequence(const std::vector<uint8_t>& data) {
  BitReader r(std::span<const uint8_t>(data).subspan(4));
  SequenceFields f{};
  f.width = static_cast<int>(r.Read(12));
  f.height = static_cast<int>(r.Read(12));
  f.aspect = static_cast<int>(r.Read(4));
  return f;
}

// display_vertical_size of the first sequence display extension.
int DisplayHeight(const std::vector<uint8_t>& data) {
  const ptrdiff_t at = FindDisplayExtension(data, 12);
  if (at < 0) return -1;
  BitReader r(std::span<const uint8_t>(data).subspan(static_cast<size_t>(at) + 4));
  r.Skip(7);
  if (r.ReadFlag()) r.Skip(24);
  r.Skip(15);
  return static_cast<int>(r.Read(14));
}

TEST(MpegVideoHeadersTest, StartCodeIsTheFirstOfPictureSequenceAndGop) {
  EXPECT_EQ(FindStartCode(KeyPacket({720, 576, 2, false, false})), kMpegSequenceHeader);
  const std::vector<uint8_t> gopFirst = {0xFF, 0, 0, 1, 0xB8, 0, 0, 0, 0, 0, 0, 1, 0};
  EXPECT_EQ(FindStartCode(gopFirst), kMpegGopStart);
  const std::vector<uint8_t> slicesOnly = {0, 0, 1, 0x01, 1, 2, 3, 4, 5, 6};
  EXPECT_EQ(FindStartCode(slicesOnly), 0u);
  // A code in the last six bytes does not count.
  const std::vector<uint8_t> tooLate = {0xFF, 0xFF, 0xFF, 0, 0, 1, 0x00, 1, 2};
  EXPECT_EQ(FindStartCode(tooLate), 0u);
}

TEST(MpegVideoHeadersTest, CaptureKeepsSequenceAndGopHeadersUpToThePicture) {
  const std::vector<uint8_t> packet = KeyPacket({720, 576, 2, true, false});
  TMpegHeaders headers;
  ASSERT_TRUE(CaptureSequenceHeader(packet, headers));
  ASSERT_GE(headers.Sequence.size(), 12u);
  EXPECT_EQ(std::vector<uint8_t>(headers.Sequence.begin(), headers.Sequence.begin() + 4),
            (std::vector<uint8_t>{0, 0, 1, 0xB3}));
  EXPECT_EQ(headers.Gop, (std::vector<uint8_t>{0, 0, 1, 0xB8, 0x00, 0x08, 0x00, 0x00}));
  // The sequence header runs up to the GOP header, extensions included.
  EXPECT_EQ(packet[headers.Sequence.size()], 0);
  EXPECT_EQ(packet[headers.Sequence.size() + 3], 0xB8);
}

TEST(MpegVideoHeadersTest, CaptureFailsWithoutASequenceHeaderOrBeyondItsLimit) {
  TMpegHeaders headers;
  const std::vector<uint8_t> pictureOnly = {0, 0, 1, 0x00, 0, 0x08, 0xFF, 0xFF, 0, 0};
  EXPECT_FALSE(CaptureSequenceHeader(pictureOnly, headers));
  std::vector<uint8_t> huge = {0, 0, 1, 0xB3};
  huge.resize(TMpegHeaders::kSequenceLimit + 10, 0xFF);
  for (uint8_t b : {0, 0, 1, 0x00, 0, 0x08, 0xFF, 0xFF}) huge.push_back(b);
  EXPECT_FALSE(CaptureSequenceHeader(huge, headers));
  EXPECT_TRUE(headers.Sequence.empty());
}

TEST(MpegVideoHeadersTest, PictureTypeComesFromThePictureHeader) {
  for (const auto& [code, type] : {std::pair{1u, TPictureType::I}, {2u, TPictureType::P}, {3u, TPictureType::B}}) {
    const std::vector<uint8_t> packet = BitWriter().Bytes({0, 0, 1, 0}).Put(5, 10).Put(code, 3).Put(0, 3).Take();
    EXPECT_EQ(MpegPictureType(packet), type) << code;
  }
  EXPECT_EQ(MpegPictureType(std::vector<uint8_t>{0, 0, 1, 0xB3, 1, 2, 3}), TPictureType::Unknown);
}

TEST(MpegVideoHeadersTest, TemporalReferenceComesFromTheFirstPictureHeader) {
  for (const uint32_t reference : {0u, 2u, 513u, 1023u}) {
    // A GOP header first, as a key packet has it; the second picture must not count.
    const std::vector<uint8_t> packet = BitWriter()
                                            .Bytes({0, 0, 1, 0xB8, 0x00, 0x08, 0x00, 0x00})
                                            .Bytes({0, 0, 1, 0})
                                            .Put(reference, 10)
                                            .Put(1, 3)
                                            .Put(0, 3)
                                            .Bytes({0, 0, 1, 0})
                                            .Put(7, 10)
                                            .Put(3, 3)
                                            .Put(0, 3)
                                            .Take();
    EXPECT_EQ(MpegTemporalReference(packet), static_cast<int>(reference));
  }
  EXPECT_EQ(MpegTemporalReference(std::vector<uint8_t>{0, 0, 1, 0xB3, 1, 2, 3}), -1);
  EXPECT_EQ(MpegTemporalReference(std::vector<uint8_t>{0, 0, 1, 0, 0x40}), -1);  // cut short
}

TEST(MpegVideoHeadersTest, Height1088IsDeclaredAs1080InHeaderAndDisplayExtension) {
  for (const bool colour : {false, true}) {
    SCOPED_TRACE(colour);
    std::vector<uint8_t> packet = KeyPacket({1920, 1088, 3, true, colour});
    ASSERT_EQ(DisplayHeight(packet), 1088);
    EXPECT_TRUE(FixSequenceHeader(packet));
    const SequenceFields f = ReadSequence(packet);
    EXPECT_EQ(f.width, 1920);
    EXPECT_EQ(f.height, 1080);
    EXPECT_EQ(f.aspect, 3);
    EXPECT_EQ(DisplayHeight(packet), 1080);
  }
}

TEST(MpegVideoHeadersTest, SquarePixelCodeBecomesTheNearestDisplayAspect) {
  struct Case {
    int width, height, aspect, expected;
  };
  for (const Case c : {Case{720, 576, 1, 2}, Case{720, 480, 1, 2}, Case{720, 576, 0, 2}, Case{1920, 1080, 1, 3},
                       Case{720, 576, 3, 3}}) {
    std::vector<uint8_t> packet = KeyPacket({c.width, c.height, c.aspect, false, false});
    FixSequenceHeader(packet);
    EXPECT_EQ(ReadSequence(packet).aspect, c.expected) << c.width << "x" << c.height << " code " << c.aspect;
  }
}

TEST(MpegVideoHeadersTest, OtherWidthsAndTruncatedHeadersAreLeftAlone) {
  std::vector<uint8_t> packet = KeyPacket({704, 576, 1, false, false});
  const std::vector<uint8_t> before = packet;
  EXPECT_FALSE(FixSequenceHeader(packet));
  EXPECT_EQ(packet, before);
  std::vector<uint8_t> cut(packet.begin(), packet.begin() + 16);
  const std::vector<uint8_t> cutBefore = cut;
  EXPECT_FALSE(FixSequenceHeader(cut));
  EXPECT_EQ(cut, cutBefore);
}

TEST(MpegVideoHeadersTest, CloseGopSetsOnlyTheClosedFlagOfTheGopBeforeThePicture) {
  std::vector<uint8_t> packet = KeyPacket({720, 576, 2, false, false});
  const std::vector<uint8_t> before = packet;
  ASSERT_TRUE(CloseGop(packet));
  size_t changed = 0;
  for (size_t i = 0; i < packet.size(); ++i) {
    if (packet[i] == before[i]) continue;
    ++changed;
    // time_code fills 25 bits after the start code; closed_gop is the bit after it.
    EXPECT_EQ(packet[i], before[i] | 0x40) << i;
    EXPECT_EQ(std::vector<uint8_t>(packet.begin() + static_cast<ptrdiff_t>(i) - 7, packet.begin() + static_cast<ptrdiff_t>(i) - 3),
              (std::vector<uint8_t>{0, 0, 1, 0xB8}));
  }
  EXPECT_EQ(changed, 1u);
  const std::vector<uint8_t> closed = packet;
  EXPECT_TRUE(CloseGop(packet));
  EXPECT_EQ(packet, closed);

  // A picture before any GOP header, or a GOP header cut short, is left alone.
  std::vector<uint8_t> picture{0, 0, 1, 0x00, 0x00, 0x08, 0, 0, 0, 0, 1, 0xB8, 0, 0, 0, 0};
  const std::vector<uint8_t> pictureBefore = picture;
  EXPECT_FALSE(CloseGop(picture));
  EXPECT_EQ(picture, pictureBefore);
  std::vector<uint8_t> shortGop{0, 0, 1, 0xB8, 0, 8, 0};
  EXPECT_FALSE(CloseGop(shortGop));
}

TEST(MpegVideoHeadersTest, Ac3FramesNeedSyncBytesAndMoreThanTwoBytes) {
  EXPECT_TRUE(IsAc3Frame(std::vector<uint8_t>{0x0B, 0x77, 0x00}));
  EXPECT_FALSE(IsAc3Frame(std::vector<uint8_t>{0x0B, 0x77}));
  EXPECT_FALSE(IsAc3Frame(std::vector<uint8_t>{0x77, 0x0B, 0x00, 0x00}));
  EXPECT_FALSE(IsAc3Frame({}));
}

}  // namespace
}  // namespace korvel
