#pragma once
// One data packet taken apart: its parsing information and its payloads. Payload bytes are
// views into the packet's buffer.
#include <cstdint>
#include <vector>

#include "base/byte_view.h"
#include "base/hresult.h"

namespace korvel::asf {

struct AsfPayload {
  uint8_t streamNumber = 0;
  bool keyFrame = false;
  uint32_t mediaObjectNumber = 0;
  uint32_t offsetIntoObject = 0;
  uint32_t objectSize = 0;
  uint32_t presentationTimeMs = 0;  // preroll included
  ByteView extensions;              // replicated data after object size and time
  ByteView data;
  // A compressed payload: data holds whole media objects, each behind a length byte, the
  // n-th at presentationTimeMs + n x timeDeltaMs.
  bool compressed = false;
  uint8_t timeDeltaMs = 0;
};

struct AsfPacket {
  uint32_t sendTimeMs = 0;
  uint16_t durationMs = 0;
  std::vector<AsfPayload> payloads;
};

// NS_E_INVALID_DATA when a field does not fit the packet or has a value the format forbids.
HRESULT ParsePacket(const ByteView& packet, AsfPacket& out);

// The media objects of a compressed payload; NS_E_INVALID_DATA unless they fill it exactly.
HRESULT SplitSubPayloads(const ByteView& data, std::vector<ByteView>& out);

}  // namespace korvel::asf
