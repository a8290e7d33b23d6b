// H.264 in AVI is stored with start codes: the NAL unit headers say whether a chunk starts with
// an IDR picture and whether it carries the parameter sets a decoder needs to begin there.
#include "avi/bitstream/frame_inspectors.h"
#include "avi/bitstream/video_bitstream.h"
#include "avi/bitstream/video_block.h"

namespace korvel {
namespace {

constexpr uint8_t kNalTypeMask = 0x1F;
constexpr uint8_t kNalTopBitsMask = 0xE0;  // forbidden bit and nal_ref_idc
constexpr uint8_t kNalSlice = 1;
constexpr uint8_t kNalSliceDataPartitionA = 2;
constexpr uint8_t kNalIdrSlice = 5;
constexpr uint8_t kNalSequenceParameterSet = 7;
constexpr uint8_t kNalPictureParameterSet = 8;

// The header byte of the next NAL unit at or after from; from moves past it.
std::optional<uint8_t> NextNalHeader(std::span<const uint8_t> data, size_t& from) {
  const auto startCode = FindStartCode(data, from);
  if (!startCode || *startCode + 3 >= data.size()) return std::nullopt;
  from = *startCode + 4;
  return data[*startCode + 3];
}

bool IsReferenced(uint8_t header) { return (header & kNalTopBitsMask) != 0; }

}  // namespace

int32_t H264FrameType(std::span<const uint8_t> data) {
  size_t from = 0;
  while (const auto header = NextNalHeader(data, from)) {
    const uint8_t type = *header & kNalTypeMask;
    // The first slice decides; delimiters, parameter sets and SEI in front of it do not.
    if (type == kNalSlice || type == kNalSliceDataPartitionA || type == kNalIdrSlice) {
      return type == kNalIdrSlice && IsReferenced(*header) ? kFrameKey : kFrameUnknown;
    }
  }
  return kFrameUnknown;
}

bool HasParameterSets(FOURCC fourcc, const uint8_t* data, size_t length) {
  if (CodecFamily(fourcc) != kCodecH264 || length < kMinInspectedLength) return false;
  const auto block = VideoBlock(data, length);
  bool sequenceSet = false;
  bool pictureSet = false;
  size_t from = 0;
  while (const auto header = NextNalHeader(block, from)) {
    const uint8_t type = *header & kNalTypeMask;
    if (!IsReferenced(*header)) continue;
    sequenceSet = sequenceSet || type == kNalSequenceParameterSet;
    pictureSet = pictureSet || type == kNalPictureParameterSet;
  }
  return sequenceSet && pictureSet;
}

}  // namespace korvel
