#include "wmv/asf/asf_index_writer.h"

#include <algorithm>

#include "base/byte_appender.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_object_write.h"

namespace korvel::asf {

void AsfIndexWriter::AddKeyFrame(uint64_t time, const AsfObjectPlacement& placement) {
  keyFrames_.push_back({time, placement});
}

std::vector<uint8_t> AsfIndexWriter::Build(const Guid& fileId, uint64_t lastTime) const {
  std::vector<KeyFrame> frames = keyFrames_;
  // Key frames come in time order; a stream that steps back is indexed by time all the same.
  std::stable_sort(frames.begin(), frames.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
  const uint64_t count = std::min<uint64_t>(lastTime / kIndexInterval + 1, UINT32_MAX);
  ByteAppender entries;
  uint32_t maxPacketCount = 1;
  size_t next = 0;
  AsfSimpleIndexEntry current{0, 1};
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t t = i * kIndexInterval;
    for (; next < frames.size() && frames[next].time <= t; ++next) {
      const auto& p = frames[next].placement;
      current.packetNumber = Clamped<uint32_t>(p.firstPacket);
      current.packetCount = Clamped<uint16_t>(p.lastPacket - p.firstPacket + 1);
    }
    maxPacketCount = std::max<uint32_t>(maxPacketCount, current.packetCount);
    entries.U32(current.packetNumber).U16(current.packetCount);
  }
  ByteAppender body;
  body.Id(fileId).U64(kIndexInterval).U32(maxPacketCount).U32(count).Raw(entries.Get());
  return AsfObject(kSimpleIndexObject, body.Get());
}

}  // namespace korvel::asf
