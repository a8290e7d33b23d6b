// WMV9 and VC-1: the sequence settings from the stream format, and the picture type at the
// start of a frame, which depends on them.
#include <vector>

#include "avi/bitstream/frame_inspectors.h"
#include "avi/bitstream/video_bitstream.h"
#include "avi/bitstream/video_block.h"
#include "base/bit_reader.h"

namespace korvel {
namespace {

constexpr size_t kBitmapInfoHeaderSize = 40;
// An advanced-profile sequence header with its start code is never shorter.
constexpr size_t kMinAdvancedExtraData = 16;
constexpr uint32_t kProfileAdvanced = 3;

constexpr uint8_t kFrameCode = 0x0D;
constexpr uint8_t kEntryPointCode = 0x0E;
constexpr uint8_t kSequenceHeaderCode = 0x0F;
constexpr uint8_t kEntryPointUserDataCode = 0x1E;
constexpr uint8_t kSequenceUserDataCode = 0x1F;
// The picture type sits in the first byte of the frame header; a few more cover any escapes.
constexpr size_t kFrameHeaderBytes = 8;

std::optional<uint8_t> StartCodeSuffix(std::span<const uint8_t> data, size_t position) {
  if (position + 3 >= data.size() || data[position] != 0 || data[position + 1] != 0 || data[position + 2] != 1) {
    return std::nullopt;
  }
  return data[position + 3];
}

// The simple/main profile sequence header kept in the format (STRUCT_C), after its profile bits.
void ReadStructC(BitReader& reader, TVc1SequenceState& state) {
  // rest of profile, frame and bit rate post-processing, loop filter, reserved, multires,
  // reserved, fast UV motion, extended MV, DQUANT, variable transform, reserved, overlap, sync marker
  reader.Skip(2 + 3 + 5 + 1 + 1 + 1 + 1 + 1 + 1 + 2 + 1 + 1 + 1 + 1);
  state.RangeReduction = reader.Read(1);
  state.MaxBFrames = reader.Read(3);
  reader.Skip(2);  // quantizer
  state.FrameInterpolation = reader.Read(1);
}

// The advanced profile sequence header after its profile bits.
void ReadAdvancedSequenceHeader(BitReader& reader, TVc1SequenceState& state) {
  // level, colour difference format, frame and bit rate post-processing, post-processing flag,
  // maximum coded width and height, pulldown
  reader.Skip(3 + 2 + 3 + 5 + 1 + 12 + 12 + 1);
  state.Interlace = reader.Read(1);
  reader.Skip(1);  // frame counter flag
  state.FrameInterpolation = reader.Read(1);
}

// Where the frame header begins: sequence headers, entry points and their user data in front
// of a key frame are passed over, as is the frame start code. Nothing when the block holds no
// frame header or starts with a start code that is not a frame's.
std::optional<size_t> FrameHeaderOffset(std::span<const uint8_t> data) {
  size_t position = 0;
  while (const auto suffix = StartCodeSuffix(data, position)) {
    if (*suffix == kFrameCode) return position + 4;
    if (*suffix != kSequenceHeaderCode && *suffix != kEntryPointCode && *suffix != kEntryPointUserDataCode &&
        *suffix != kSequenceUserDataCode) {
      return std::nullopt;
    }
    const auto next = FindStartCode(data, position + 4);
    if (!next) return std::nullopt;
    position = *next;
  }
  return position;
}

// The first bytes of an advanced-profile frame with the emulation prevention bytes (03 after
// two zero bytes, before a byte below 4) taken out.
std::vector<uint8_t> Unescaped(std::span<const uint8_t> data, size_t limit) {
  std::vector<uint8_t> out;
  int zeros = 0;
  for (size_t i = 0; i < data.size() && out.size() < limit; ++i) {
    if (zeros >= 2 && data[i] == 3 && i + 1 < data.size() && data[i + 1] < 4) {
      zeros = 0;
      continue;
    }
    zeros = data[i] == 0 ? zeros + 1 : 0;
    out.push_back(data[i]);
  }
  return out;
}

// A field-interlaced frame names both field types in three bits; the first field decides.
int32_t FieldPairType(BitReader& reader) {
  constexpr int32_t kFirstFieldType[] = {kFrameKey, kFramePredicted, kFrameBidirectional, kFrameBi};
  return kFirstFieldType[reader.Read(3) >> 1];
}

int32_t AdvancedFrameType(BitReader& reader, const TVc1SequenceState& state) {
  if (state.Interlace && reader.ReadFlag() && reader.ReadFlag()) {
    const int32_t type = FieldPairType(reader);
    return reader.Overrun() ? kFrameUnknown : type;
  }
  // Picture type code: 0 P, 10 B, 110 I, 1110 BI, 1111 skipped (a P frame without data).
  constexpr int32_t kTypeByOnes[] = {kFramePredicted, kFrameBidirectional, kFrameKey, kFrameBi, kFramePredicted};
  unsigned ones = 0;
  while (ones < 4 && reader.ReadFlag()) ++ones;
  return reader.Overrun() ? kFrameUnknown : kTypeByOnes[ones];
}

int32_t SimpleMainFrameType(BitReader& reader, const TVc1SequenceState& state) {
  if (state.FrameInterpolation) reader.Skip(1);
  reader.Skip(2);  // frame count
  if (state.RangeReduction) reader.Skip(1);
  int32_t type = kFramePredicted;
  if (!reader.ReadFlag()) type = state.MaxBFrames > 0 && !reader.ReadFlag() ? kFrameBidirectional : kFrameKey;
  return reader.Overrun() ? kFrameUnknown : type;
}

int32_t PictureType(BitReader& reader, const TVc1SequenceState& state) {
  return state.Profile == kProfileAdvanced ? AdvancedFrameType(reader, state) : SimpleMainFrameType(reader, state);
}

}  // namespace

void InitVc1State(FOURCC fourcc, const uint8_t* format, size_t formatSize, TVc1SequenceState& state) {
  const int32_t family = CodecFamily(fourcc);
  if (family != kCodecWmv9 && family != kCodecVc1Advanced) return;
  const auto block = VideoBlock(format, formatSize);
  if (block.size() <= kBitmapInfoHeaderSize) return;
  auto extra = block.subspan(kBitmapInfoHeaderSize);
  if (family == kCodecVc1Advanced) {
    if (extra.size() < kMinAdvancedExtraData) return;
    // The header usually follows its start code; without one it is taken to start the data.
    for (auto at = FindStartCode(extra, 0); at; at = FindStartCode(extra, *at + 1)) {
      if (StartCodeSuffix(extra, *at) == kSequenceHeaderCode) {
        extra = extra.subspan(*at + 4);
        break;
      }
    }
  }
  BitReader reader(extra);
  TVc1SequenceState parsed;
  parsed.Profile = reader.Read(2);
  if (parsed.Profile == kProfileAdvanced) {
    ReadAdvancedSequenceHeader(reader, parsed);
  } else {
    ReadStructC(reader, parsed);
  }
  // A header cut short tells nothing reliable.
  if (!reader.Overrun()) state = parsed;
}

int32_t Vc1FrameType(int32_t family, std::span<const uint8_t> data, const TVc1SequenceState& state) {
  if (family != kCodecVc1Advanced) {
    BitReader reader(data);
    return PictureType(reader, state);
  }
  const auto offset = FrameHeaderOffset(data);
  if (!offset) return kFrameUnknown;
  const auto header = Unescaped(data.subspan(*offset), kFrameHeaderBytes);
  BitReader reader(header);
  return PictureType(reader, state);
}

}  // namespace korvel
