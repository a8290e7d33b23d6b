#include "wmv/asf/asf_packet_writer.h"

#include <algorithm>

namespace korvel::asf {
namespace {

// Error correction present with two bytes of data, as players expect it in every packet.
constexpr uint8_t kErrorCorrectionFlags = 0x82;
// Multiple payloads; padding length a WORD; no packet length or sequence (the size is fixed).
constexpr uint8_t kLengthTypeFlags = 0x11;
// Replicated data length a BYTE, offset into the object a DWORD, object number a BYTE, stream
// number a BYTE.
constexpr uint8_t kPropertyFlags = 0x5D;
// Payload lengths are WORDs.
constexpr uint8_t kPayloadLengthWord = 0x80;
constexpr uint32_t kMaxPayloads = 0x3F;
constexpr uint8_t kKeyFrameBit = 0x80;

// Offsets of the packet head fields completed when the packet closes.
constexpr size_t kPaddingAt = 5;
constexpr size_t kSendTimeAt = 7;
constexpr size_t kDurationAt = 11;
constexpr size_t kPayloadFlagsAt = 13;
constexpr size_t kPacketHead = 14;
// Stream, object number, offset, replicated length, object size, time, payload length.
constexpr size_t kPayloadHead = 1 + 1 + 4 + 1 + 4 + 4 + 2;

void Put(std::vector<uint8_t>& out, size_t at, uint64_t v, size_t n) {
  for (size_t i = 0; i < n; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void Append(std::vector<uint8_t>& out, uint64_t v, size_t n) {
  for (size_t i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

AsfPacketWriter::AsfPacketWriter(uint32_t packetSize, uint32_t prerollMs, Sink sink)
    : packetSize_(packetSize), prerollMs_(prerollMs), sink_(std::move(sink)) {
  packet_.reserve(packetSize_);
}

bool AsfPacketWriter::HasRoom(size_t extensionBytes, bool withData) const {
  const size_t used = packet_.empty() ? kPacketHead : packet_.size();
  return payloadCount_ < kMaxPayloads && used + kPayloadHead + extensionBytes + (withData ? 1 : 0) <= packetSize_;
}

bool AsfPacketWriter::Add(const AsfPacketObject& object, AsfObjectPlacement& placement) {
  const size_t ext = std::min(object.extensions.size(), kMaxExtensionBytes);
  const size_t total = object.bytes.size();
  size_t offset = 0;
  do {
    if (!HasRoom(ext, total > 0) && !Close()) return false;
    if (packet_.empty()) packet_.resize(kPacketHead, 0);
    const size_t room = packetSize_ - packet_.size() - kPayloadHead - ext;
    const size_t n = std::min(room, total - offset);
    if (offset == 0) placement.firstPacket = packetCount_;
    Append(packet_, object.streamNumber | (object.keyFrame ? kKeyFrameBit : 0), 1);
    Append(packet_, object.objectNumber, 1);
    Append(packet_, offset, 4);
    Append(packet_, 8 + ext, 1);
    Append(packet_, total, 4);
    Append(packet_, object.presentationTimeMs, 4);
    packet_.insert(packet_.end(), object.extensions.begin(), object.extensions.begin() + static_cast<std::ptrdiff_t>(ext));
    Append(packet_, n, 2);
    const auto data = object.bytes.subspan(offset, n);
    packet_.insert(packet_.end(), data.begin(), data.end());
    earliestMs_ = payloadCount_ == 0 ? object.presentationTimeMs : std::min(earliestMs_, object.presentationTimeMs);
    latestMs_ = payloadCount_ == 0 ? object.presentationTimeMs : std::max(latestMs_, object.presentationTimeMs);
    ++payloadCount_;
    offset += n;
  } while (offset < total);
  placement.lastPacket = packetCount_;
  return true;
}

bool AsfPacketWriter::Close() {
  if (payloadCount_ == 0) return true;
  // The send time is the latest time (preroll removed) written so far, which makes send times
  // grow with the file. Readers rely on two things: a packet holding a sample at or after time t
  // is sent at t or later, so a seek to t may start at the first packet sent then; and no later
  // packet holds a payload shown before a send time already seen, which holds while samples
  // step back by less than the preroll.
  const uint32_t latestMs = latestMs_ > prerollMs_ ? latestMs_ - prerollMs_ : 0;
  const uint32_t sendMs = std::max(latestMs, lastSendMs_);
  const uint32_t durationMs = std::min<uint32_t>(latestMs_ - earliestMs_, UINT16_MAX);
  packet_[0] = kErrorCorrectionFlags;
  packet_[3] = kLengthTypeFlags;
  packet_[4] = kPropertyFlags;
  Put(packet_, kPaddingAt, packetSize_ - packet_.size(), 2);
  Put(packet_, kSendTimeAt, sendMs, 4);
  Put(packet_, kDurationAt, durationMs, 2);
  packet_[kPayloadFlagsAt] = static_cast<uint8_t>(payloadCount_ | kPayloadLengthWord);
  packet_.resize(packetSize_, 0);
  const bool handedOn = sink_(packet_);
  packet_.clear();
  payloadCount_ = 0;
  ++packetCount_;
  lastSendMs_ = sendMs;
  sendEndMs_ = std::max<uint64_t>(sendEndMs_, uint64_t{sendMs} + durationMs);
  return handedOn;
}

bool AsfPacketWriter::Finish() { return Close(); }

}  // namespace korvel::asf
