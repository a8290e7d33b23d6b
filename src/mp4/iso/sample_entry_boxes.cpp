#include "mp4/iso/sample_entry_boxes.h"

#include <algorithm>
#include <string_view>

#include "mp4/iso/box_writer.h"

namespace korvel::iso {
namespace {

// The entry's own header is the plain eight bytes the writer keeps: size and type.
constexpr size_t kEntryHeader = 8;
// Channel count in an audio entry: after the header, six reserved bytes, the data reference
// index and eight reserved (or version) bytes.
constexpr size_t kChannelCountAt = kEntryHeader + 16;

// The entry's child boxes in order, up to the first of that type (returned) or the first that
// does not parse. *whole tells whether the walk passed whole boxes up to the entry's end.
std::optional<ByteView> WalkEntryChildren(std::span<const uint8_t> entry, EntryKind kind, std::optional<BoxType> type,
                                          std::span<const uint8_t> extendedType, bool* whole) {
  *whole = false;
  const ByteView all(entry);
  const ByteView payload = all.Sub(kEntryHeader, entry.size() >= kEntryHeader ? entry.size() - kEntryHeader : 0);
  const auto childrenAt = SampleEntryChildrenAt(payload, kind);
  if (!childrenAt) return std::nullopt;
  size_t pos = *childrenAt;
  while (pos < payload.size()) {
    BoxHeader header;
    const size_t room = payload.size() - pos;
    if (!ParseBoxHeader(payload.Sub(pos, std::min(room, kMaxBoxHeader)), room, pos, header, nullptr)) return std::nullopt;
    const auto size = static_cast<size_t>(header.size);
    const ByteView body = payload.Sub(pos + header.headerSize, size - header.headerSize);
    const bool sameExtension =
        extendedType.empty() || payload.Sub(pos + header.headerSize - 16, 16).Matches(0, extendedType);
    if (type && header.type == *type && sameExtension) return body;
    pos += size;
  }
  *whole = true;
  return std::nullopt;
}

}  // namespace

std::optional<ByteView> FindEntryChild(std::span<const uint8_t> entry, EntryKind kind, BoxType type,
                                       std::span<const uint8_t> extendedType) {
  bool whole = false;
  return WalkEntryChildren(entry, kind, type, extendedType, &whole);
}

bool EntryChildrenFillEntry(std::span<const uint8_t> entry, EntryKind kind) {
  bool whole = false;
  (void)WalkEntryChildren(entry, kind, std::nullopt, {}, &whole);
  return whole;
}

std::vector<uint8_t> MakeDeviceUuidBox() {
  BoxWriter w;
  const size_t box = w.Begin("uuid");
  w.Bytes(kDeviceUuid);
  w.U32(1);
  w.End(box);
  return w.Take();
}

std::vector<uint8_t> MakeColourBox(uint16_t primaries, uint16_t transfer, uint16_t matrix) {
  BoxWriter w;
  const size_t box = w.Begin("colr");
  w.FourCC("nclx");
  w.U16(primaries);
  w.U16(transfer);
  w.U16(matrix);
  w.U8(0);  // limited (video) range
  w.End(box);
  return w.Take();
}

std::vector<uint8_t> MakePixelAspectBox(uint32_t hSpacing, uint32_t vSpacing) {
  BoxWriter w;
  const size_t box = w.Begin("pasp");
  w.U32(hSpacing);
  w.U32(vSpacing);
  w.End(box);
  return w.Take();
}

bool SetEntryChannelCount(std::span<uint8_t> entry, uint16_t channels) {
  if (entry.size() < kChannelCountAt + 2) return false;
  entry[kChannelCountAt] = static_cast<uint8_t>(channels >> 8);
  entry[kChannelCountAt + 1] = static_cast<uint8_t>(channels);
  return true;
}

std::vector<uint8_t> MakeAc3SampleEntry(uint32_t samplingRate, const Ac3SpecificBox& ac3) {
  BoxWriter w;
  const size_t entry = w.Begin("ac-3");
  w.Zeros(6);
  w.U16(1);  // data reference index
  w.Zeros(8);
  w.U16(2);   // channel count: the dac3 box says how many there really are
  w.U16(16);  // sample size
  w.Zeros(4);
  // 16.16 fixed point; AC-3 rates stay far below the field's limit.
  w.U32(std::min<uint32_t>(samplingRate, 0xFFFF) << 16);
  const size_t dac3 = w.Begin("dac3");
  const uint32_t bits = (uint32_t{ac3.fscod} & 0x03) << 22 | (uint32_t{ac3.bsid} & 0x1F) << 17 |
                        (uint32_t{ac3.bsmod} & 0x07) << 14 | (uint32_t{ac3.acmod} & 0x07) << 11 |
                        (uint32_t{ac3.lfeon} & 0x01) << 10 | (uint32_t{ac3.bitRateCode} & 0x1F) << 5;
  w.U24(bits);
  w.End(dac3);
  w.End(entry);
  return w.Take();
}

}  // namespace korvel::iso
