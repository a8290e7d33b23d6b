// The writer stores each stream's media type as stream properties that the reader turns back
// into the very same media type: the join check compares those bytes.
#include <gtest/gtest.h>

#include "base/byte_appender.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_media_type.h"
#include "wmv/asf/asf_stream_from_media_type.h"

namespace korvel::asf {
namespace {

constexpr uint32_t kBitrate = 123456;

std::vector<uint8_t> VideoTypeData(uint32_t compression, uint16_t bitCount, std::vector<uint8_t> codecData) {
  ByteAppender bitmap;
  bitmap.U32(40 + codecData.size()).U32(176).U32(144).U16(1).U16(bitCount).U32(compression).U32(176 * 144 * 3);
  bitmap.U32(0).U32(0).U32(0).U32(0).Raw(codecData);
  return ByteAppender().U32(176).U32(144).U8(2).U16(bitmap.Size()).Raw(bitmap.Get()).Take();
}

std::vector<uint8_t> WaveTypeData(uint16_t tag, std::vector<uint8_t> extra) {
  return ByteAppender().U16(tag).U16(2).U32(48000).U32(24000).U16(4).U16(16).U16(extra.size()).Raw(extra).Take();
}

struct Case {
  const char* name;
  Guid streamType;
  std::vector<uint8_t> typeData;
  uint64_t frameTime;
};

std::vector<Case> Cases() {
  WmMediaType binary;
  binary.majortype = MakeGuid(0xA1B2C3D4, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10});
  binary.subtype = MakeGuid(0x11111111, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10});
  binary.lSampleSize = 7;
  binary.formattype = MakeGuid(0x22222222, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10});
  binary.format = {1, 2, 3, 4, 5};
  return {
      {"compressed video with codec data", kVideoMedia, VideoTypeData(0x32564D57, 24, {1, 2, 3, 4, 5}), 333333},
      {"uncompressed video", kVideoMedia, VideoTypeData(0, 24, {}), 400000},
      {"audio with extra data", kAudioMedia, WaveTypeData(0x161, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0}), 0},
      {"PCM audio", kAudioMedia, WaveTypeData(1, {}), 0},
      {"script", kCommandMedia, {}, 0},
      {"JPEG images", kJfifMedia, ByteAppender().U32(640).U32(480).U32(0).Take(), 0},
      {"binary", kBinaryMedia, binary.ToBuffer(), 0},
  };
}

TEST(AsfStreamFromMediaType, InvertsTheMediaTypeTheReaderBuilds) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    AsfStreamProperties original;
    original.streamType = c.streamType;
    original.streamNumber = 5;
    original.typeData = c.typeData;
    const WmMediaType type = MediaTypeFromStream(original, kBitrate, c.frameTime);
    const auto stored = StreamFromMediaType(type, 5);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->stream.streamNumber, 5);
    EXPECT_TRUE(stored->stream.streamType == c.streamType);
    EXPECT_EQ(stored->stream.typeData, c.typeData);
    EXPECT_EQ(stored->averageTimePerFrame, c.frameTime);
    EXPECT_TRUE(stored->stream.errorCorrectionData.empty());
    EXPECT_TRUE(MediaTypeFromStream(stored->stream, kBitrate, stored->averageTimePerFrame) == type);
  }
}

TEST(AsfStreamFromMediaType, RefusesCodecDataBeyondTheVideoTypeData) {
  AsfStreamProperties video;
  video.streamType = kVideoMedia;
  video.typeData = VideoTypeData(0x32564D57, 24, {});
  WmMediaType type = MediaTypeFromStream(video, kBitrate, 0);
  type.format.resize(kVideoInfoBitmapOffset + 0x10000, 0);
  EXPECT_FALSE(StreamFromMediaType(type, 1).has_value());
  type.format.resize(kVideoInfoBitmapOffset + 0xFFFF);
  EXPECT_TRUE(StreamFromMediaType(type, 1).has_value());
}

}  // namespace
}  // namespace korvel::asf
