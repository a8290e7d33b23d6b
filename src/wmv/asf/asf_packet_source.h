#pragma once
// Reading data packet n of an opened file and taking it apart.
#include <cstdint>
#include <vector>

#include "base/hresult.h"
#include "wmv/asf/asf_file.h"
#include "wmv/asf/asf_packet.h"

namespace korvel::asf {

enum class PacketRead { kOk, kDamaged, kPastEnd };

// buffer holds the packet's bytes afterwards (out's payloads point into it). kDamaged with
// *error NS_E_INVALID_DATA for a malformed packet or NS_E_FILE_CORRUPTED for a failed read;
// kPastEnd (with NS_E_FILE_CORRUPTED) when the file ends before the packet does.
PacketRead ReadPacket(const AsfFile& file, uint64_t index, std::vector<uint8_t>& buffer, AsfPacket& out, HRESULT* error);

}  // namespace korvel::asf
