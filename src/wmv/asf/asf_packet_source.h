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

// The packets of a file read one after another, many in one read: a walk over the whole data
// costs a system call per run of packets rather than per packet. Each packet reads as
// ReadPacket reads it.
class SequentialPackets {
public:
  explicit SequentialPackets(const AsfFile& file) : file_(file) {}
  // out's payloads point into this object until the next call.
  PacketRead Read(uint64_t index, AsfPacket& out, HRESULT* error);

private:
  const AsfFile& file_;
  std::vector<uint8_t> run_;
  uint64_t runFirst_ = 0;
  uint64_t runCount_ = 0;
  std::vector<uint8_t> single_;
};

}  // namespace korvel::asf
