#include "wmv/asf/asf_clean_point_scan.h"

#include "wmv/asf/asf_object_assembler.h"
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

AsfCleanPointScan ScanForCleanPoint(const AsfFile& file, const AsfSampleTiming& timing, uint64_t fromPacket,
                                    uint16_t keyStream, uint64_t s) {
  AsfCleanPointScan scan;
  scan.firstPacket = fromPacket;
  AsfObjectAssembler assembler(file.header);
  std::vector<uint8_t> buffer;
  AsfPacket packet;
  HRESULT error = S_OK;
  for (uint64_t n = fromPacket; n < file.packetCount; ++n) {
    const PacketRead read = ReadPacket(file, n, buffer, packet, &error);
    if (read == PacketRead::kPastEnd) break;
    if (read != PacketRead::kOk) continue;
    (void)assembler.Add(packet, n);
    bool passed = false;
    while (auto object = assembler.Take()) {
      const uint64_t t = timing.TimeOf(object->streamNumber, object->presentationTimeMs);
      if (t >= s) scan.reachedS = true;
      if (keyStream == 0) {
        passed = passed || t >= s;
        continue;
      }
      if (object->streamNumber != keyStream) continue;
      if (t > s) {
        passed = true;
      } else if (object->keyFrame && (!scan.cleanTime || t >= *scan.cleanTime)) {
        scan.cleanTime = t;
        scan.cleanPacket = object->firstPacket;
      }
    }
    if (passed) break;
  }
  return scan;
}

}  // namespace korvel::asf
