#include "wmv/asf/asf_object_assembler.h"

#include <algorithm>

#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_field_cursor.h"

namespace korvel::asf {
namespace {

// Audio spreading stores an object of span virtual packets chunk-interleaved: the n-th chunk of
// the original (row n / span, column n % span) is stored at row + column x (chunks per packet).
// Objects of any other size are left as they are.
std::vector<uint8_t> Unspread(const std::vector<uint8_t>& bytes, const AsfAudioSpread& spread) {
  const size_t chunk = spread.virtualChunkLength;
  const size_t packet = spread.virtualPacketLength;
  const size_t span = spread.span;
  if (span <= 1 || chunk == 0 || packet == 0 || packet % chunk != 0 || bytes.size() != packet * span) {
    return bytes;
  }
  const size_t chunksPerPacket = packet / chunk;
  const size_t chunkCount = bytes.size() / chunk;
  std::vector<uint8_t> out(bytes.size());
  for (size_t n = 0; n < chunkCount; ++n) {
    const size_t row = n / span, column = n % span;
    const size_t source = row + column * chunksPerPacket;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(source * chunk), chunk,
                out.begin() + static_cast<std::ptrdiff_t>(n * chunk));
  }
  return out;
}

}  // namespace

AsfObjectAssembler::AsfObjectAssembler(const AsfHeader& header, bool keepBytes) : keepBytes_(keepBytes) {
  for (const auto& s : header.streams) streams_[static_cast<uint8_t>(s.streamNumber)].spread = s.AudioSpread();
}

bool AsfObjectAssembler::DropIncomplete() {
  bool dropped = false;
  for (auto& [number, s] : streams_) {
    dropped = dropped || s.partial.has_value();
    s.partial.reset();
  }
  return dropped;
}

void AsfObjectAssembler::Reset() {
  for (auto& [number, s] : streams_) {
    s.partial.reset();
    s.synced = false;
  }
  ready_.clear();
}

std::optional<AsfMediaObject> AsfObjectAssembler::Take() {
  if (ready_.empty()) return std::nullopt;
  AsfMediaObject o = std::move(ready_.front());
  ready_.pop_front();
  return o;
}

HRESULT AsfObjectAssembler::Add(const AsfPacket& packet, uint64_t packetIndex) {
  packetIndex_ = packetIndex;
  HRESULT result = S_OK;
  for (const auto& p : packet.payloads) {
    const auto it = streams_.find(p.streamNumber);
    if (it == streams_.end()) continue;  // a stream the header does not declare
    const HRESULT hr = p.compressed ? AddCompressed(p, it->second) : AddFragment(p, it->second);
    if (Failed(hr) && Succeeded(result)) result = hr;
  }
  return result;
}

HRESULT AsfObjectAssembler::AddFragment(const AsfPayload& p, StreamState& s) {
  if (p.offsetIntoObject == 0) {
    const bool lost = s.partial.has_value();
    s.partial.reset();
    s.synced = true;
    if (p.objectSize > kMaxMediaObjectBytes) return NS_E_CORRUPTED_DATA_UNIT;
    Partial next{p.mediaObjectNumber, p.objectSize, p.presentationTimeMs, p.keyFrame, packetIndex_,
                 static_cast<uint32_t>(p.data.size()), {}, {}};
    if (keepBytes_) {
      next.bytes = CopyOf(p.data);
      next.extensions = CopyOf(p.extensions);
    }
    if (next.received == next.size) {
      Complete(p.streamNumber, s, std::move(next));
    } else {
      s.partial = std::move(next);
    }
    return lost ? NS_E_CORRUPTED_DATA_UNIT : S_OK;
  }
  if (!s.partial) return s.synced ? NS_E_CORRUPTED_DATA_UNIT : S_OK;
  Partial& part = *s.partial;
  if (part.objectNumber != p.mediaObjectNumber || part.size != p.objectSize || part.received != p.offsetIntoObject ||
      p.data.size() > part.size - part.received) {
    s.partial.reset();
    return NS_E_CORRUPTED_DATA_UNIT;
  }
  part.received += static_cast<uint32_t>(p.data.size());
  if (keepBytes_) {
    const auto more = SpanOf(p.data);
    part.bytes.insert(part.bytes.end(), more.begin(), more.end());
  }
  if (part.received == part.size) {
    Partial done = std::move(part);
    s.partial.reset();
    Complete(p.streamNumber, s, std::move(done));
  }
  return S_OK;
}

HRESULT AsfObjectAssembler::AddCompressed(const AsfPayload& p, StreamState& s) {
  std::vector<ByteView> parts;
  if (Failed(SplitSubPayloads(p.data, parts))) return NS_E_INVALID_DATA;
  const bool lost = s.partial.has_value();
  s.partial.reset();
  s.synced = true;
  uint64_t time = p.presentationTimeMs;
  for (const auto& part : parts) {
    Partial whole{0,
                  static_cast<uint32_t>(part.size()),
                  static_cast<uint32_t>(std::min<uint64_t>(time, UINT32_MAX)),
                  p.keyFrame,
                  packetIndex_,
                  static_cast<uint32_t>(part.size()),
                  keepBytes_ ? CopyOf(part) : std::vector<uint8_t>{},
                  {}};
    Complete(p.streamNumber, s, std::move(whole));
    time += p.timeDeltaMs;
  }
  return lost ? NS_E_CORRUPTED_DATA_UNIT : S_OK;
}

void AsfObjectAssembler::Complete(uint8_t stream, StreamState& s, Partial done) {
  AsfMediaObject o;
  o.streamNumber = stream;
  o.presentationTimeMs = done.timeMs;
  o.keyFrame = done.keyFrame;
  o.firstPacket = done.firstPacket;
  o.bytes = s.spread && keepBytes_ ? Unspread(done.bytes, *s.spread) : std::move(done.bytes);
  o.extensions = std::move(done.extensions);
  ready_.push_back(std::move(o));
}

}  // namespace korvel::asf
