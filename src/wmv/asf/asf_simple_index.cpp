#include "wmv/asf/asf_simple_index.h"

#include <algorithm>

#include "wmv/asf/asf_field_cursor.h"

namespace korvel::asf {

constexpr size_t kEntrySize = 6;

bool AsfSimpleIndex::UsableFor(uint64_t packetCount) const {
  return interval != 0 && !entries.empty() &&
         std::all_of(entries.begin(), entries.end(), [&](const auto& e) { return e.packetNumber < packetCount; });
}

std::optional<uint32_t> AsfSimpleIndex::PacketFor(uint64_t t) const {
  if (interval == 0 || entries.empty()) return std::nullopt;
  const uint64_t slot = std::min<uint64_t>(t / interval, entries.size() - 1);
  return entries[static_cast<size_t>(slot)].packetNumber;
}

std::optional<AsfSimpleIndex> ParseSimpleIndex(const ByteView& body) {
  FieldCursor c{body};
  const auto fileId = c.GuidField();
  const auto interval = c.U64();
  const auto maxPacketCount = c.U32();
  const auto count = c.U32();
  if (!count || *count > c.Remaining() / kEntrySize) return std::nullopt;
  (void)fileId;
  (void)maxPacketCount;
  AsfSimpleIndex index;
  index.interval = *interval;
  index.entries.reserve(*count);
  for (uint32_t i = 0; i < *count; ++i) {
    const auto packet = c.U32();
    const auto packets = c.U16();
    index.entries.push_back({*packet, *packets});
  }
  return index;
}

}  // namespace korvel::asf
