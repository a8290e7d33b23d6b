#include "wmv/asf/asf_clean_point_scan.h"

#include "wmv/asf/asf_object_assembler.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_packet_source.h"

namespace korvel::asf {

uint64_t PacketSentBy(const AsfFile& file, uint64_t sendTimeMs) {
  std::vector<uint8_t> buffer;
  AsfPacket packet;
  HRESULT error = S_OK;
  uint64_t low = 0, high = file.packetCount;  // the answer lies in [low, high)
  while (high - low > 1) {
    const uint64_t middle = low + (high - low) / 2;
    const bool sentBy = ReadPacket(file, middle, buffer, packet, &error) == PacketRead::kOk && packet.sendTimeMs <= sendTimeMs;
    (sentBy ? low : high) = middle;
  }
  return low;
}

namespace {

// How often a long walk looks at the stop flag.
constexpr uint64_t kStopCheckEvery = 4096;

// Hands every whole object in the packets from fromPacket on to onObject, stepping over damaged
// packets, until it returns false or the data ends.
template <typename OnObject>
void WalkObjects(const AsfFile& file, uint64_t fromPacket, OnObject onObject) {
  // Which objects there are is all a walk needs: their bytes are not copied.
  AsfObjectAssembler assembler(file.header, false);
  SequentialPackets packets(file);
  AsfPacket packet;
  HRESULT error = S_OK;
  for (uint64_t n = fromPacket; n < file.packetCount; ++n) {
    const PacketRead read = packets.Read(n, packet, &error);
    if (read == PacketRead::kPastEnd) break;
    if (read != PacketRead::kOk) continue;
    (void)assembler.Add(packet, n);
    bool goOn = true;
    while (auto object = assembler.Take()) goOn = onObject(*object, n) && goOn;
    if (!goOn) break;
  }
}

bool IsCleanPoint(const AsfMediaObject& object, uint16_t keyStream) {
  return object.streamNumber == keyStream && object.keyFrame;
}

}  // namespace

AsfCleanPointScan ScanForCleanPoint(const AsfFile& file, const AsfSampleTiming& timing, uint64_t fromPacket,
                                    uint16_t keyStream, uint64_t s) {
  AsfCleanPointScan scan;
  scan.firstPacket = fromPacket;
  WalkObjects(file, fromPacket, [&](const AsfMediaObject& object, uint64_t) {
    const uint64_t t = timing.TimeOf(object.streamNumber, object.presentationTimeMs);
    if (t >= s) scan.reachedS = true;
    if (keyStream == 0) return t < s;
    if (object.streamNumber != keyStream) return true;
    if (t > s) return false;
    if (IsCleanPoint(object, keyStream) && (!scan.cleanTime || t >= *scan.cleanTime)) {
      scan.cleanTime = t;
      scan.cleanPacket = object.firstPacket;
    }
    return true;
  });
  return scan;
}

uint16_t FirstVideoStream(const AsfFile& file) {
  for (const auto& stream : file.header.streams)
    if (stream.streamType == kVideoMedia) return stream.streamNumber;
  return 0;
}

AsfCleanPoints ListCleanPoints(const AsfFile& file, const AsfSampleTiming& timing, uint16_t keyStream,
                               const std::atomic<bool>* stop) {
  AsfCleanPoints points;
  if (keyStream == 0) return points;
  std::optional<uint64_t> lastFrame;
  WalkObjects(file, 0, [&](const AsfMediaObject& object, uint64_t packet) {
    if (object.streamNumber == keyStream) {
      const uint64_t t = timing.TimeOf(object.streamNumber, object.presentationTimeMs);
      if (lastFrame && t > *lastFrame && (points.frameStep == 0 || t - *lastFrame < points.frameStep))
        points.frameStep = t - *lastFrame;
      lastFrame = t;
      if (IsCleanPoint(object, keyStream)) points.times.push_back(t);
    }
    return packet % kStopCheckEvery != 0 || !stop || !stop->load(std::memory_order_relaxed);
  });
  return points;
}

}  // namespace korvel::asf
