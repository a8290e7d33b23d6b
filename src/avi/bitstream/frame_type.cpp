// The codec family of a video stream, and the frame type each family's frame header states.
#include "avi/bitstream/frame_inspectors.h"
#include "avi/bitstream/video_bitstream.h"
#include "avi/bitstream/video_block.h"
#include "base/bit_reader.h"

namespace korvel {
namespace {

struct FamilyCode {
  FOURCC code;
  TCodecFamily family;
};

constexpr FOURCC Code(const char (&text)[5]) { return MakeFourCC(text[0], text[1], text[2], text[3]); }

constexpr FamilyCode kFamilies[] = {
    {Code("MP41"), kCodecMsMpeg4V1}, {Code("mp41"), kCodecMsMpeg4V1}, {Code("DIV1"), kCodecMsMpeg4V1},
    {Code("div1"), kCodecMsMpeg4V1}, {Code("MPG4"), kCodecMsMpeg4V1}, {Code("mpg4"), kCodecMsMpeg4V1},
    {Code("MP42"), kCodecMsMpeg4V2}, {Code("mp42"), kCodecMsMpeg4V2}, {Code("DIV2"), kCodecMsMpeg4V2},
    {Code("div2"), kCodecMsMpeg4V2},
    {Code("MP43"), kCodecMsMpeg4V3}, {Code("mp43"), kCodecMsMpeg4V3}, {Code("MPG3"), kCodecMsMpeg4V3},
    {Code("mpg3"), kCodecMsMpeg4V3}, {Code("DIV3"), kCodecMsMpeg4V3}, {Code("div3"), kCodecMsMpeg4V3},
    {Code("DIV4"), kCodecMsMpeg4V3}, {Code("div4"), kCodecMsMpeg4V3}, {Code("DIV5"), kCodecMsMpeg4V3},
    {Code("div5"), kCodecMsMpeg4V3}, {Code("DIV6"), kCodecMsMpeg4V3}, {Code("div6"), kCodecMsMpeg4V3},
    {Code("DVX3"), kCodecMsMpeg4V3}, {Code("dvx3"), kCodecMsMpeg4V3}, {Code("AP41"), kCodecMsMpeg4V3},
    {Code("ap41"), kCodecMsMpeg4V3}, {Code("COL1"), kCodecMsMpeg4V3}, {Code("col1"), kCodecMsMpeg4V3},
    {Code("WMV1"), kCodecWmv7}, {Code("wmv1"), kCodecWmv7},
    {Code("WMV2"), kCodecWmv8}, {Code("wmv2"), kCodecWmv8},
    {Code("WMV3"), kCodecWmv9}, {Code("wmv3"), kCodecWmv9},
    {Code("WVC1"), kCodecVc1Advanced}, {Code("wvc1"), kCodecVc1Advanced}, {Code("WMVA"), kCodecVc1Advanced},
    {Code("wmva"), kCodecVc1Advanced},
    {Code("VP30"), kCodecVp3}, {Code("vp30"), kCodecVp3}, {Code("VP31"), kCodecVp3}, {Code("vp31"), kCodecVp3},
    {Code("THEO"), kCodecTheora}, {Code("theo"), kCodecTheora},
    {Code("VP50"), kCodecVp5Vp60}, {Code("vp50"), kCodecVp5Vp60}, {Code("VP60"), kCodecVp5Vp60},
    {Code("vp60"), kCodecVp5Vp60},
    {Code("VP61"), kCodecVp61Vp62}, {Code("vp61"), kCodecVp61Vp62}, {Code("VP62"), kCodecVp61Vp62},
    {Code("vp62"), kCodecVp61Vp62},
    {Code("VP6F"), kCodecVp6Flash}, {Code("vp6f"), kCodecVp6Flash}, {Code("FLV4"), kCodecVp6Flash},
    {Code("flv4"), kCodecVp6Flash},
    {Code("H264"), kCodecH264}, {Code("h264"), kCodecH264}, {Code("X264"), kCodecH264}, {Code("x264"), kCodecH264},
    {Code("VSSH"), kCodecH264}, {Code("vssh"), kCodecH264},
};

// The Microsoft MPEG-4 and WMV 7 picture type: 0 intra, 1 inter, 2 bidirectional; 3 names none.
int32_t TwoBitFrameType(BitReader& reader) {
  constexpr int32_t kTypes[] = {kFrameKey, kFramePredicted, kFrameBidirectional, kFrameUnknown};
  return kTypes[reader.Read(2)];
}

// Version 1 frames begin with a picture start code and a 5-bit frame number.
int32_t MsMpeg4V1FrameType(BitReader& reader) {
  constexpr uint32_t kPictureStartCode = 0x00000100;
  if (reader.Read(32) != kPictureStartCode) return kFrameUnknown;
  reader.Skip(5);
  return TwoBitFrameType(reader);
}

// Families whose first bit says intra (0) or inter (1).
int32_t IntraBitFrameType(BitReader& reader) { return reader.ReadFlag() ? kFramePredicted : kFrameKey; }

// A Theora packet with the top bit set is a stream header, not a frame.
int32_t TheoraFrameType(BitReader& reader) {
  if (reader.ReadFlag()) return kFrameUnknown;
  return IntraBitFrameType(reader);
}

// The lowest bit of a VP6.1/6.2 frame's first byte flags a coefficient layout the inspector
// does not judge; the highest says intra or inter.
int32_t Vp6FrameType(BitReader& reader) {
  const uint32_t first = reader.Read(8);
  if (first & 0x01) return kFrameUnknown;
  return (first & 0x80) ? kFramePredicted : kFrameKey;
}

}  // namespace

int32_t CodecFamily(FOURCC fourcc) {
  for (const auto& entry : kFamilies) {
    if (entry.code == fourcc) return entry.family;
  }
  return kCodecNone;
}

bool HasFrameTypeInspector(FOURCC fourcc) { return CodecFamily(fourcc) != kCodecNone; }

int32_t FrameType(FOURCC fourcc, const uint8_t* data, size_t length, const TVc1SequenceState& state) {
  const auto block = VideoBlock(data, length);
  if (block.size() < kMinInspectedLength) return kFrameNotKey;
  BitReader reader(block);
  switch (const int32_t family = CodecFamily(fourcc)) {
    case kCodecMsMpeg4V1:
      return MsMpeg4V1FrameType(reader);
    case kCodecMsMpeg4V2:
    case kCodecMsMpeg4V3:
    case kCodecWmv7:
      return TwoBitFrameType(reader);
    case kCodecWmv8:
    case kCodecVp3:
    case kCodecVp5Vp60:
      return IntraBitFrameType(reader);
    case kCodecTheora:
      return TheoraFrameType(reader);
    case kCodecVp61Vp62:
    case kCodecVp6Flash:
      return Vp6FrameType(reader);
    case kCodecWmv9:
    case kCodecVc1Advanced:
      return Vc1FrameType(family, block, state);
    case kCodecH264:
      return H264FrameType(block);
    default:
      return kFrameUnknown;
  }
}

}  // namespace korvel
