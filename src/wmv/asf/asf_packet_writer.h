#pragma once
// Lays media objects into fixed-size data packets, the inverse of ParsePacket: several payloads
// share a packet, an object larger than the room left continues in the next packets, and every
// packet ends in padding. Each payload carries the object's size and presentation time plus its
// payload extension data as replicated data.
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace korvel::asf {

// Every file gets packets of this size, the one players meet most. Declared bit rates do not
// size them: a join declares made-up high rates for streams whose files state none, and packets
// sized from those hold seconds of a slow file, which makes seeking coarse. Index entries are per
// second, not per packet, so small packets cost only their heads, about 1% at high rates.
inline constexpr uint32_t kPacketSize = 3200;
// The replicated data length is a byte: 8 bytes of size and time leave this much for extensions.
inline constexpr size_t kMaxExtensionBytes = 255 - 8;

// A time or duration in 100 ns as the whole ms that packets store, rounded to the nearest.
inline uint64_t NearestMs(uint64_t time) { return time / 10000 + (time % 10000 >= 5000 ? 1 : 0); }

struct AsfPacketObject {
  uint8_t streamNumber = 0;  // 1..127
  uint8_t objectNumber = 0;  // counts the stream's objects, wrapping at 256
  bool keyFrame = false;
  uint32_t presentationTimeMs = 0;  // preroll included
  std::span<const uint8_t> extensions;  // at most kMaxExtensionBytes
  std::span<const uint8_t> bytes;
};

// Where an object went: the packets holding its first and its last byte.
struct AsfObjectPlacement {
  uint64_t firstPacket = 0;
  uint64_t lastPacket = 0;
};

class AsfPacketWriter {
public:
  // Takes each finished packet; false stops the writer (the output failed).
  using Sink = std::function<bool(std::span<const uint8_t>)>;

  // packetSize as kPacketSize gives it: every packet has room for its head and a payload.
  AsfPacketWriter(uint32_t packetSize, uint32_t prerollMs, Sink sink);

  // False when a packet could not be handed on.
  bool Add(const AsfPacketObject& object, AsfObjectPlacement& placement);
  // Hands on the last, partly filled packet.
  bool Finish();

  uint64_t PacketCount() const { return packetCount_; }
  // The latest send time plus that packet's duration (ms).
  uint64_t SendEndMs() const { return sendEndMs_; }

private:
  // Room in the open packet for one more payload head and, withData, at least one byte.
  bool HasRoom(size_t extensionBytes, bool withData) const;
  bool Close();

  uint32_t packetSize_;
  uint32_t prerollMs_;
  Sink sink_;
  std::vector<uint8_t> packet_;  // the open packet: its head, then its payloads so far
  uint32_t payloadCount_ = 0;
  uint32_t earliestMs_ = 0;  // presentation times of the open packet's payloads
  uint32_t latestMs_ = 0;
  uint64_t packetCount_ = 0;
  uint32_t lastSendMs_ = 0;
  uint64_t sendEndMs_ = 0;
};

}  // namespace korvel::asf
