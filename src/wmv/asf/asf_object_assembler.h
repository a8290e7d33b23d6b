#pragma once
// Turns the payloads of consecutive packets into whole media objects: fragments joined in
// order, compressed payloads split, audio spreading undone. Objects come out in the order they
// complete, with their presentation time in ms as stored (preroll included).
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "base/hresult.h"
#include "wmv/asf/asf_header.h"
#include "wmv/asf/asf_packet.h"

namespace korvel::asf {

// Media objects larger than this are taken as damage, not allocated.
inline constexpr uint32_t kMaxMediaObjectBytes = 64u << 20;

struct AsfMediaObject {
  uint8_t streamNumber = 0;
  uint32_t presentationTimeMs = 0;
  bool keyFrame = false;
  uint64_t firstPacket = 0;  // the packet holding the object's first byte
  std::vector<uint8_t> bytes;
  std::vector<uint8_t> extensions;
};

class AsfObjectAssembler {
public:
  // Without keepBytes the objects come without their bytes and extensions: for walks that only
  // need to know which objects there are, when and where, and should not copy the data.
  explicit AsfObjectAssembler(const AsfHeader& header, bool keepBytes = true);

  // Feeds one packet's payloads; complete objects queue up. NS_E_CORRUPTED_DATA_UNIT when a
  // fragment does not continue the object it belongs to (the broken object is dropped and the
  // rest of the packet still read); NS_E_INVALID_DATA for a malformed compressed payload.
  HRESULT Add(const AsfPacket& packet, uint64_t packetIndex);
  std::optional<AsfMediaObject> Take();
  // At the end of the data: drops unfinished objects; true when there were any.
  bool DropIncomplete();
  // After a jump: fragments of objects whose start was not seen are dropped silently until each
  // stream sees the start of an object.
  void Reset();

private:
  struct Partial {
    uint32_t objectNumber = 0;
    uint32_t size = 0;
    uint32_t timeMs = 0;
    bool keyFrame = false;
    uint64_t firstPacket = 0;
    uint32_t received = 0;  // bytes of the object seen so far, kept or not
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> extensions;
  };
  struct StreamState {
    std::optional<Partial> partial;
    bool synced = false;
    std::optional<AsfAudioSpread> spread;
  };

  HRESULT AddFragment(const AsfPayload& p, StreamState& s);
  HRESULT AddCompressed(const AsfPayload& p, StreamState& s);
  void Complete(uint8_t stream, StreamState& s, Partial done);

  bool keepBytes_;
  std::map<uint8_t, StreamState> streams_;
  std::deque<AsfMediaObject> ready_;
  uint64_t packetIndex_ = 0;
};

}  // namespace korvel::asf
