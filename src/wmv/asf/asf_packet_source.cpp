#include "wmv/asf/asf_packet_source.h"

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

}  // namespace korvel::asf
