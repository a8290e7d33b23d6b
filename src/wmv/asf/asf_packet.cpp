#include "wmv/asf/asf_packet.h"

#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_field_cursor.h"

namespace korvel::asf {
namespace {

constexpr uint8_t kErrorCorrectionPresent = 0x80;
constexpr uint8_t kMultiplePayloads = 0x01;
// A compressed payload says so with a replicated data length of 1.
constexpr uint32_t kCompressedMarker = 1;
constexpr uint32_t kReplicatedHead = 8;  // object size, presentation time

struct PropertyTypes {
  uint8_t replicated, offset, objectNumber, streamNumber;
};

bool ParsePayload(FieldCursor& c, const PropertyTypes& types, bool multiple, uint8_t lengthType, size_t regionEnd,
                  AsfPayload& p) {
  const auto stream = c.Coded(types.streamNumber);
  const auto object = c.Coded(types.objectNumber);
  const auto offset = c.Coded(types.offset);
  const auto replicated = c.Coded(types.replicated);
  if (!replicated) return false;
  p.streamNumber = static_cast<uint8_t>(*stream & 0x7F);
  p.keyFrame = (*stream & 0x80) != 0;
  p.mediaObjectNumber = *object;
  if (*replicated == kCompressedMarker) {
    const auto delta = c.U8();
    if (!delta) return false;
    p.compressed = true;
    p.presentationTimeMs = *offset;
    p.timeDeltaMs = *delta;
  } else {
    if (*replicated < kReplicatedHead) return false;
    const auto size = c.U32(), time = c.U32();
    const auto extensions = c.Bytes(*replicated - kReplicatedHead);
    if (!extensions) return false;
    p.offsetIntoObject = *offset;
    p.objectSize = *size;
    p.presentationTimeMs = *time;
    p.extensions = *extensions;
  }
  if (c.Offset() > regionEnd) return false;
  const auto length = multiple ? c.Coded(lengthType) : std::optional<uint32_t>(regionEnd - c.Offset());
  if (!length || c.Offset() > regionEnd || *length > regionEnd - c.Offset()) return false;
  p.data = *c.Bytes(*length);
  if (p.streamNumber == 0) return false;
  return p.compressed || uint64_t{p.offsetIntoObject} + p.data.size() <= p.objectSize;
}

}  // namespace

HRESULT ParsePacket(const ByteView& packet, AsfPacket& out) {
  out = AsfPacket{};
  FieldCursor c{packet};
  auto flags = c.U8();
  if (flags && (*flags & kErrorCorrectionPresent)) {
    // Error correction data we do not use; its length type must be 0.
    if ((*flags & 0x60) != 0 || !c.Bytes(*flags & 0x0F)) return NS_E_INVALID_DATA;
    flags = c.U8();
  }
  const auto properties = c.U8();
  if (!properties || (*flags & kErrorCorrectionPresent)) return NS_E_INVALID_DATA;
  const bool multiple = (*flags & kMultiplePayloads) != 0;
  const PropertyTypes types{static_cast<uint8_t>(*properties & 3), static_cast<uint8_t>((*properties >> 2) & 3),
                            static_cast<uint8_t>((*properties >> 4) & 3), static_cast<uint8_t>((*properties >> 6) & 3)};
  const auto packetLength = c.Coded((*flags >> 5) & 3);
  const auto sequence = c.Coded((*flags >> 1) & 3);
  const auto padding = c.Coded((*flags >> 3) & 3);
  const auto sendTime = c.U32();
  const auto duration = c.U16();
  if (!duration || types.streamNumber == 0) return NS_E_INVALID_DATA;
  (void)sequence;
  // An explicit packet length shorter than the packet leaves the rest as padding. Some muxers
  // give that rest as the padding length as well (length + padding = the packet's size): then
  // the payloads run to the length.
  const size_t length = ((*flags >> 5) & 3) != 0 ? *packetLength : packet.size();
  if (length > packet.size()) return NS_E_INVALID_DATA;
  const bool paddingAfterLength = length < packet.size() && length + *padding == packet.size();
  const size_t inside = paddingAfterLength ? 0 : *padding;
  if (inside > length || length - inside < c.Offset()) return NS_E_INVALID_DATA;
  const size_t regionEnd = length - inside;
  out.sendTimeMs = *sendTime;
  out.durationMs = *duration;

  uint32_t count = 1;
  uint8_t lengthType = 0;
  if (multiple) {
    const auto payloadFlags = c.U8();
    if (!payloadFlags || c.Offset() > regionEnd) return NS_E_INVALID_DATA;
    count = *payloadFlags & 0x3F;
    lengthType = static_cast<uint8_t>(*payloadFlags >> 6);
    if (count == 0 || lengthType == 0) return NS_E_INVALID_DATA;
  }
  for (uint32_t i = 0; i < count; ++i) {
    AsfPayload p;
    if (!ParsePayload(c, types, multiple, lengthType, regionEnd, p)) return NS_E_INVALID_DATA;
    out.payloads.push_back(p);
  }
  return S_OK;
}

HRESULT SplitSubPayloads(const ByteView& data, std::vector<ByteView>& out) {
  FieldCursor c{data};
  while (c.Remaining() > 0) {
    const auto length = c.U8();
    const auto part = c.Bytes(*length);
    if (!part) return NS_E_INVALID_DATA;
    out.push_back(*part);
  }
  return S_OK;
}

}  // namespace korvel::asf
