#pragma once
// The simple index: for each time interval, the packet where the latest key frame at or before
// that time begins. Entry i covers presentation time i x interval (100 ns, preroll included).
#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_view.h"

namespace korvel::asf {

struct AsfSimpleIndexEntry {
  uint32_t packetNumber = 0;
  uint16_t packetCount = 0;
};

struct AsfSimpleIndex {
  uint64_t interval = 0;  // 100 ns
  std::vector<AsfSimpleIndexEntry> entries;

  // Usable for seeking in a data object of packetCount packets: entries present, a non-zero
  // interval and every packet number inside the data object.
  bool UsableFor(uint64_t packetCount) const;
  // The packet to start from for presentation time t (100 ns, preroll included).
  std::optional<uint32_t> PacketFor(uint64_t t) const;
};

// body: the object's bytes after its 24-byte head. Nothing when its count does not fit.
std::optional<AsfSimpleIndex> ParseSimpleIndex(const ByteView& body);

}  // namespace korvel::asf
