#include "wmv/asf/asf_test_file.h"

#include <stdexcept>

#include "wmv/asf/asf_guids.h"

namespace korvel::asf_test {

using namespace korvel::asf;

std::vector<uint8_t> LanguageListObject() {
  const Guid id = MakeGuid(0x7C4346A9, 0xEFE0, 0x4BFC, {0xB2, 0x29, 0x39, 0x3E, 0xDE, 0x41, 0x5C, 0x85});
  return AsfObject(id, Bytes().U16(1).U8(12).Text(u"en-us").Get());
}

std::vector<uint8_t> Packet(uint32_t sendTimeMs, const std::vector<TestPayload>& payloads) {
  const bool multiple = payloads.size() != 1;
  Bytes head;
  head.U8(0x82).U16(0);  // error correction: two bytes
  // Multiple payloads flag; padding length as WORD; packet length absent (the fixed size).
  head.U8((multiple ? 0x01 : 0x00) | 0x10);
  head.U8(0x5D);  // replicated length BYTE, offset DWORD, object number BYTE, stream BYTE
  const size_t paddingAt = head.Size();
  head.U16(0).U32(sendTimeMs).U16(0);
  if (multiple) head.U8(static_cast<uint8_t>(payloads.size()) | 0x80);  // WORD payload lengths
  for (const auto& p : payloads) {
    head.U8(p.stream | (p.key ? 0x80 : 0)).U8(p.objectNumber);
    if (p.compressed) {
      head.U32(p.timeMs).U8(1).U8(p.timeDelta);
    } else {
      head.U32(p.offset).U8(8 + p.extensions.size());
      head.U32(p.objectSize ? p.objectSize : p.data.size()).U32(p.timeMs).Raw(p.extensions);
    }
    if (multiple) head.U16(p.data.size());
    head.Raw(p.data);
  }
  std::vector<uint8_t> packet = head.Get();
  if (packet.size() > kTestPacketSize) throw std::length_error("test packet too large");
  const size_t padding = kTestPacketSize - packet.size();
  packet[paddingAt] = static_cast<uint8_t>(padding);
  packet[paddingAt + 1] = static_cast<uint8_t>(padding >> 8);
  packet.resize(kTestPacketSize, 0);
  return packet;
}

std::vector<uint8_t> SubPayloads(const std::vector<std::vector<uint8_t>>& parts) {
  Bytes b;
  for (const auto& p : parts) b.U8(p.size()).Raw(p);
  return b.Get();
}

AsfTestFile::AsfTestFile() = default;

AsfTestFile& AsfTestFile::Video(uint16_t number, uint32_t fourcc, int32_t width, int32_t height) {
  Bytes bitmap;
  bitmap.U32(40 + 4).U32(width).U32(height).U16(1).U16(24).U32(fourcc).U32(0).U32(0).U32(0).U32(0).U32(0);
  bitmap.U32(0xC0DEC0DE);  // codec data
  Bytes type;
  type.U32(width).U32(height).U8(2).U16(bitmap.Size()).Raw(bitmap.Get());
  AsfStreamProperties s;
  s.streamType = kVideoMedia;
  s.errorCorrectionType = kNoErrorCorrection;
  s.streamNumber = number;
  s.typeData = type.Take();
  streams_.push_back(StreamPropertiesObject(s));
  return *this;
}

AsfTestFile& AsfTestFile::Audio(uint16_t number, uint16_t tag, uint32_t avgBytesPerSecond, std::vector<uint8_t> spread) {
  Bytes wave;
  wave.U16(tag).U16(2).U32(44100).U32(avgBytesPerSecond).U16(64).U16(16).U16(2).U16(0x1234);
  AsfStreamProperties s;
  s.streamType = kAudioMedia;
  s.errorCorrectionType = spread.empty() ? kNoErrorCorrection : kAudioSpread;
  s.streamNumber = number;
  s.typeData = wave.Take();
  s.errorCorrectionData = std::move(spread);
  streams_.push_back(StreamPropertiesObject(s));
  return *this;
}

AsfTestFile& AsfTestFile::HeaderObject(std::vector<uint8_t> object) {
  headerObjects_.push_back(std::move(object));
  return *this;
}
AsfTestFile& AsfTestFile::ExtensionObject(std::vector<uint8_t> object) {
  extensionObjects_.push_back(std::move(object));
  return *this;
}
AsfTestFile& AsfTestFile::AddPacket(std::vector<uint8_t> packet) {
  packets_.push_back(std::move(packet));
  return *this;
}
AsfTestFile& AsfTestFile::Index(uint64_t intervalMs, std::vector<uint32_t> packets) {
  indexIntervalMs_ = intervalMs;
  indexPackets_ = std::move(packets);
  return *this;
}
AsfTestFile& AsfTestFile::PlayDurationMs(uint64_t ms) {
  playDurationMs_ = ms;
  return *this;
}

std::vector<uint8_t> AsfTestFile::HeaderBytes() const {
  AsfFileProperties file;
  file.dataPacketsCount = packets_.size();
  file.playDuration = (playDurationMs_ + kTestPrerollMs) * 10000;
  file.sendDuration = playDurationMs_ * 10000;
  file.preroll = kTestPrerollMs;
  file.flags = 0x2;  // seekable
  file.minPacketSize = file.maxPacketSize = kTestPacketSize;
  file.maxBitrate = 1000000;
  Bytes extensionChildren;
  for (const auto& o : extensionObjects_) extensionChildren.Raw(o);
  Bytes children;
  children.Raw(FilePropertiesObject(file));
  for (const auto& s : streams_) children.Raw(s);
  children.Raw(HeaderExtensionAround(extensionChildren.Get()));
  for (const auto& o : headerObjects_) children.Raw(o);
  const size_t count = 2 + streams_.size() + headerObjects_.size();
  return HeaderObjectAround(count, children.Get());
}

size_t AsfTestFile::FirstPacketOffset() const { return HeaderBytes().size() + 50; }

std::vector<uint8_t> AsfTestFile::Build() const {
  Bytes out;
  out.Raw(HeaderBytes());
  out.Id(kDataObject).U64(50 + packets_.size() * kTestPacketSize).Id(Guid{}).U64(packets_.size()).U16(0x0101);
  for (const auto& p : packets_) out.Raw(p);
  if (!indexPackets_.empty()) {
    Bytes index;
    index.Id(Guid{}).U64(indexIntervalMs_ * 10000).U32(1).U32(indexPackets_.size());
    for (const uint32_t p : indexPackets_) index.U32(p).U16(1);
    out.Raw(AsfObject(kSimpleIndexObject, index.Get()));
  }
  return out.Get();
}

}  // namespace korvel::asf_test
