#include "wmv/asf/asf_stream_shift.h"

#include <algorithm>
#include <vector>

#include "wmv/asf/asf_clean_point_scan.h"
#include "wmv/asf/asf_packet_source.h"

namespace korvel::asf {
namespace {

// Packets looked at from each place where a stream may begin.
constexpr uint64_t kPacketsLooked = 64;

void NoteFirstTimes(const AsfFile& file, uint64_t from, std::map<uint8_t, uint32_t>& first) {
  std::vector<uint8_t> buffer;
  AsfPacket packet;
  HRESULT error = S_OK;
  const uint64_t end = file.packetCount - from > kPacketsLooked ? from + kPacketsLooked : file.packetCount;
  for (uint64_t n = from; n < end; ++n) {
    const PacketRead read = ReadPacket(file, n, buffer, packet, &error);
    if (read == PacketRead::kPastEnd) break;
    if (read != PacketRead::kOk) continue;
    for (const AsfPayload& payload : packet.payloads) {
      const auto [at, added] = first.try_emplace(payload.streamNumber, payload.presentationTimeMs);
      if (!added) at->second = std::min(at->second, payload.presentationTimeMs);
    }
  }
}

}  // namespace

std::map<uint8_t, uint32_t> LateStreamShifts(const AsfFile& file) {
  const uint64_t playMs = file.header.file.playDuration / 10000;
  if (playMs == 0 || file.packetCount == 0) return {};
  const uint64_t lastMs = playMs + file.header.file.preroll;
  // The streams at the start of the data, and those a muxer put after the others because their
  // times (and so the packets' send times) lie past the end.
  std::map<uint8_t, uint32_t> first;
  NoteFirstTimes(file, 0, first);
  if (lastMs < UINT32_MAX) {
    const uint64_t late = PacketSentBy(file, lastMs) + 1;
    if (late < file.packetCount) NoteFirstTimes(file, late, first);
  }
  uint64_t fileStart = UINT64_MAX;
  for (const auto& [stream, time] : first)
    if (time <= lastMs) fileStart = std::min<uint64_t>(fileStart, time);
  if (fileStart == UINT64_MAX) fileStart = std::min<uint64_t>(file.header.file.preroll, UINT32_MAX);
  std::map<uint8_t, uint32_t> shifts;
  for (const auto& [stream, time] : first)
    shifts[stream] = time > lastMs ? static_cast<uint32_t>(time - fileStart) : 0;
  return shifts;
}

}  // namespace korvel::asf
