#include "wmv/asf/asf_packet_source.h"

#include <algorithm>
#include <span>

#include "wmv/asf/asf_errors.h"

namespace korvel::asf {

PacketRead ReadPacket(const AsfFile& file, uint64_t index, std::vector<uint8_t>& buffer, AsfPacket& out, HRESULT* error) {
  *error = S_OK;
  buffer.resize(file.packetSize);
  switch (ReadExactAt(*file.stream, file.PacketOffset(index), buffer)) {
    case ReadOutcome::kComplete: break;
    case ReadOutcome::kEndOfData: *error = NS_E_FILE_CORRUPTED; return PacketRead::kPastEnd;
    case ReadOutcome::kFailed: *error = NS_E_FILE_CORRUPTED; return PacketRead::kDamaged;
  }
  *error = ParsePacket(ByteView(buffer), out);
  return Failed(*error) ? PacketRead::kDamaged : PacketRead::kOk;
}

namespace {

// About 128 KiB of the usual small packets; fewer of large ones.
constexpr uint64_t kRunBytes = 128 * 1024;

}  // namespace

PacketRead SequentialPackets::Read(uint64_t index, AsfPacket& out, HRESULT* error) {
  const uint64_t size = file_.packetSize;
  if (size == 0 || index >= file_.packetCount) return ReadPacket(file_, index, single_, out, error);
  if (index < runFirst_ || index >= runFirst_ + runCount_) {
    runFirst_ = index;
    runCount_ = std::min(std::max<uint64_t>(kRunBytes / size, 1), file_.packetCount - index);
    run_.resize(runCount_ * size);
    // A run the file does not hold whole is read packet by packet, as ReadPacket tells each.
    if (ReadExactAt(*file_.stream, file_.PacketOffset(index), run_) != ReadOutcome::kComplete) runCount_ = 0;
  }
  if (runCount_ == 0) return ReadPacket(file_, index, single_, out, error);
  *error = ParsePacket(ByteView(std::span<const uint8_t>(run_).subspan((index - runFirst_) * size, size)), out);
  return Failed(*error) ? PacketRead::kDamaged : PacketRead::kOk;
}

}  // namespace korvel::asf
