// Finds the coding type of the first video object plane in an MPEG-4 Part 2 chunk by walking
// the headers in front of it.
#include <algorithm>
#include <array>

#include "avi/bitstream/mpeg4_vol.h"
#include "avi/bitstream/video_bitstream.h"
#include "avi/bitstream/video_block.h"
#include "base/bit_reader.h"

namespace korvel {
namespace {

constexpr std::array kMpeg4Part2FourCCs{
    MakeFourCC('D', 'I', 'V', 'X'), MakeFourCC('d', 'i', 'v', 'x'), MakeFourCC('X', 'V', 'I', 'D'),
    MakeFourCC('x', 'v', 'i', 'd'), MakeFourCC('D', 'X', '5', '0'), MakeFourCC('d', 'x', '5', '0'),
    MakeFourCC('F', 'M', 'P', '4'), MakeFourCC('f', 'm', 'p', '4'), MakeFourCC('R', 'M', 'P', '4'),
    MakeFourCC('r', 'm', 'p', '4'), MakeFourCC('H', 'D', 'X', '4'), MakeFourCC('h', 'd', 'x', '4'),
    MakeFourCC('M', '4', 'S', '2'), MakeFourCC('m', '4', 's', '2'), MakeFourCC('3', 'I', 'V', '2'),
    MakeFourCC('3', 'i', 'v', '2'), MakeFourCC('3', 'I', 'V', 'X'), MakeFourCC('3', 'i', 'v', 'x'),
    MakeFourCC('D', 'X', 'G', 'M'), MakeFourCC('d', 'x', 'g', 'm'), MakeFourCC('F', 'F', 'D', 'S'),
    MakeFourCC('f', 'f', 'd', 's'), MakeFourCC('D', 'M', '4', 'V'), MakeFourCC('d', 'm', '4', 'v'),
    MakeFourCC('M', 'P', '4', 'V'), MakeFourCC('m', 'p', '4', 'v'), MakeFourCC('F', 'V', 'F', 'W'),
    MakeFourCC('f', 'v', 'f', 'w'),
};

constexpr uint32_t kVideoObjectFirst = 0x100;
constexpr uint32_t kVideoObjectLast = 0x11F;
constexpr uint32_t kVideoObjectLayerFirst = 0x120;
constexpr uint32_t kVideoObjectLayerLast = 0x12F;
constexpr uint32_t kVisualObjectSequence = 0x1B0;
constexpr uint32_t kVisualObjectSequenceEnd = 0x1B1;
constexpr uint32_t kUserData = 0x1B2;
constexpr uint32_t kGroupOfVop = 0x1B3;
constexpr uint32_t kVisualObject = 0x1B5;
constexpr uint32_t kVideoObjectPlane = 0x1B6;

constexpr unsigned kStartCodeBits = 32;
constexpr unsigned kUserDataScanLimit = 256;
constexpr uint32_t kVisualObjectTypeVideo = 1;

// User data runs to the next start code; its leading zero byte is left for the walker to find.
void SkipUserData(BitReader& reader) {
  for (unsigned i = 0; i < kUserDataScanLimit; ++i) {
    const auto byte = reader.Peek(8);
    if (!byte || *byte == 0) return;
    reader.Skip(8);
  }
}

// False when the visual object is not video (a still texture, a mesh, a face): such a chunk has
// no video object plane to inspect.
bool SkipVisualObject(BitReader& reader) {
  if (reader.ReadFlag()) reader.Skip(4 + 3);  // verid, priority
  const uint32_t type = reader.Read(4);
  if (reader.Overrun()) return true;  // cut short: the walker stops at the end of the data
  if (type != kVisualObjectTypeVideo) return false;
  if (reader.ReadFlag()) {      // video signal type
    reader.Skip(3 + 1);         // format, range
    if (reader.ReadFlag()) reader.Skip(8 + 8 + 8);  // colour description
  }
  return true;
}

}  // namespace

bool IsMpeg4Part2(FOURCC fourcc) {
  return std::find(kMpeg4Part2FourCCs.begin(), kMpeg4Part2FourCCs.end(), fourcc) != kMpeg4Part2FourCCs.end();
}

int32_t Mpeg4CodingType(const uint8_t* data, size_t length) {
  BitReader reader(VideoBlock(data, length));
  bool layerSeen = false;
  // A chunk that ends after the layer headers starts the stream: its first plane is intra.
  const auto atEnd = [&layerSeen] { return layerSeen ? 0 : -1; };
  for (;;) {
    reader.AlignToByte();
    const auto code = reader.Peek(kStartCodeBits);
    if (!code) return atEnd();
    if (*code >= kVideoObjectFirst && *code <= kVideoObjectLast) {
      reader.Skip(kStartCodeBits);
    } else if (*code >= kVideoObjectLayerFirst && *code <= kVideoObjectLayerLast) {
      reader.Skip(kStartCodeBits);
      SkipVideoObjectLayer(reader);
      layerSeen = true;
    } else if (*code == kVisualObjectSequence) {
      reader.Skip(kStartCodeBits + 8);  // profile and level
    } else if (*code == kVisualObjectSequenceEnd) {
      reader.Skip(kStartCodeBits);
    } else if (*code == kUserData) {
      reader.Skip(kStartCodeBits);
      SkipUserData(reader);
    } else if (*code == kGroupOfVop) {
      reader.Skip(kStartCodeBits + 18 + 1 + 1);  // time code, closed, broken link
    } else if (*code == kVisualObject) {
      reader.Skip(kStartCodeBits);
      if (!SkipVisualObject(reader)) return -1;
    } else if (*code == kVideoObjectPlane) {
      reader.Skip(kStartCodeBits);
      const auto codingType = reader.Peek(2);
      if (!codingType) return atEnd();
      return static_cast<int32_t>(*codingType);
    } else {
      reader.Skip(8);
    }
  }
}

bool IsMpeg4KeyFrame(const uint8_t* data, size_t length) {
  return length >= kMinInspectedLength && Mpeg4CodingType(data, length) == 0;
}

}  // namespace korvel
