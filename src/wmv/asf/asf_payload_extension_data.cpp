#include "wmv/asf/asf_payload_extension_data.h"

#include <algorithm>

#include "base/byte_view.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_packet_writer.h"

namespace korvel::asf {
namespace {

constexpr uint16_t kVariableSize = 0xFFFF;
constexpr uint16_t kDurationSize = 2;

// Where each system's instance starts in data, or nothing when data is not exactly one
// instance of each.
std::optional<std::vector<size_t>> InstanceOffsets(const std::vector<AsfPayloadExtensionSystem>& systems,
                                                   std::span<const uint8_t> data) {
  const ByteView view(data);
  std::vector<size_t> offsets;
  size_t at = 0;
  for (const auto& system : systems) {
    size_t size = system.dataSize;
    if (system.dataSize == kVariableSize) {
      const auto length = view.U16LE(at);
      if (!length) return std::nullopt;
      at += 2;
      size = *length;
    }
    if (!view.Has(at, size)) return std::nullopt;
    offsets.push_back(at);
    at += size;
  }
  if (at != data.size()) return std::nullopt;
  return offsets;
}

// Zeros for fixed systems, a zero length for variable ones.
uint64_t MadeUpSize(const std::vector<AsfPayloadExtensionSystem>& systems) {
  uint64_t size = 0;
  for (const auto& system : systems) size += system.dataSize == kVariableSize ? 2 : system.dataSize;
  return size;
}

}  // namespace

std::vector<uint8_t> PayloadExtensionData(const std::vector<AsfPayloadExtensionSystem>& systems,
                                          std::span<const uint8_t> given, uint64_t duration) {
  auto offsets = given.size() <= kMaxExtensionBytes ? InstanceOffsets(systems, given) : std::nullopt;
  std::vector<uint8_t> data = offsets ? std::vector<uint8_t>(given.begin(), given.end())
                                      : std::vector<uint8_t>(std::min<uint64_t>(MadeUpSize(systems), kMaxExtensionBytes), 0);
  if (!offsets) offsets = InstanceOffsets(systems, data);
  const uint16_t ms = static_cast<uint16_t>(std::min<uint64_t>(NearestMs(duration), UINT16_MAX));
  for (size_t i = 0; offsets && i < systems.size(); ++i) {
    if (systems[i].id != kPayloadExtensionSampleDuration || systems[i].dataSize != kDurationSize) continue;
    data[(*offsets)[i]] = static_cast<uint8_t>(ms);
    data[(*offsets)[i] + 1] = static_cast<uint8_t>(ms >> 8);
  }
  return data;
}

std::optional<size_t> MadeUpExtensionSize(const std::vector<AsfPayloadExtensionSystem>& systems) {
  const uint64_t size = MadeUpSize(systems);
  if (size > kMaxExtensionBytes) return std::nullopt;
  return static_cast<size_t>(size);
}

}  // namespace korvel::asf
