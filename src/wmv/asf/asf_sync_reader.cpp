#include "wmv/asf/asf_sync_reader.h"

#include <algorithm>
#include <utility>

#include "wmv/asf/asf_clean_point_scan.h"
#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_packet_source.h"

namespace korvel::asf {
namespace {

constexpr uint64_t kOneSecond = 10000000;
// Samples wait for later packets only this much; beyond it a file's order is taken as it comes.
constexpr uint64_t kMaxPendingBytes = 256ull << 20;
constexpr size_t kMaxPendingSamples = 20000;

}  // namespace

std::shared_ptr<AsfSyncReader> CreateSyncReader() { return std::make_shared<AsfSyncReader>(); }

HRESULT AsfSyncReader::OpenStream(std::shared_ptr<AsfByteStream> stream) {
  if (open_) return NS_E_INVALID_REQUEST;
  AsfFile file;
  const HRESULT hr = OpenAsfFile(std::move(stream), file);
  if (Failed(hr)) return hr;
  AsfProfile profile = ProfileOf(file);
  AsfHeaderInfo info = HeaderInfoOf(file, profile);
  AsfSampleTiming timing(file);
  AsfObjectAssembler assembler(file.header);
  state_ = std::make_unique<OpenState>(
      OpenState{std::move(file), std::move(profile), std::move(info), std::move(timing), std::move(assembler)});
  selected_.clear();
  for (const auto& s : state_->file.header.streams) selected_.push_back(s.streamNumber);
  open_ = true;
  Restart(0, 0, 0, UINT64_MAX);
  return S_OK;
}

HRESULT AsfSyncReader::Close() {
  if (!open_) return NS_E_INVALID_REQUEST;
  open_ = false;
  state_.reset();
  pending_.clear();
  return S_OK;
}

bool AsfSyncReader::Selected(uint16_t number) const {
  return std::find(selected_.begin(), selected_.end(), number) != selected_.end();
}

HRESULT AsfSyncReader::SetStreamsSelected(uint16_t count, const uint16_t* numbers, const WMT_STREAM_SELECTION* selections) {
  if (!open_) return NS_E_INVALID_REQUEST;
  if (count == 0 || !numbers || !selections) return E_INVALIDARG;
  const std::span<const uint16_t> n(numbers, count);
  const std::span<const WMT_STREAM_SELECTION> on(selections, count);
  for (size_t i = 0; i < count; ++i) {
    if (!state_->file.header.Stream(n[i]) || on[i] > WMT_ON) return E_INVALIDARG;
  }
  for (size_t i = 0; i < count; ++i) {
    std::erase(selected_, n[i]);
    if (on[i] != WMT_OFF) selected_.push_back(n[i]);
  }
  return S_OK;
}

HRESULT AsfSyncReader::SetReadStreamSamples(uint16_t number, bool compressed) {
  if (!open_) return NS_E_INVALID_REQUEST;
  if (!state_->file.header.Stream(number) || !compressed) return E_INVALIDARG;
  return S_OK;
}

uint16_t AsfSyncReader::KeyStream() const {
  for (const auto& s : state_->file.header.streams) {
    if (s.streamType == kVideoMedia && Selected(s.streamNumber)) return s.streamNumber;
  }
  return 0;
}

void AsfSyncReader::Restart(uint64_t firstPacket, uint64_t rangePacket, uint64_t cleanTime, uint64_t end) {
  state_->assembler.Reset();
  pending_.clear();
  pendingBytes_ = 0;
  nextPacket_ = firstPacket;
  rangePacket_ = rangePacket;
  rangeStart_ = cleanTime;
  rangeEnd_ = end;
  sentMs_.clear();
  for (const uint32_t shift : state_->timing.ShiftGroups()) sentMs_[shift] = 0;
  lastTime_ = 0;
  atEnd_ = false;
  finished_ = false;
  damage_ = S_OK;
}

HRESULT AsfSyncReader::SetRange(uint64_t start, uint64_t duration) {
  if (!open_) return NS_E_INVALID_REQUEST;
  const uint64_t end = duration == 0 || duration > UINT64_MAX - start ? UINT64_MAX : start + duration;
  if (start == 0) {
    Restart(0, 0, 0, end);
    return S_OK;
  }
  const AsfFile& file = state_->file;
  const uint16_t keyStream = KeyStream();
  // The index entry a second and a preroll before start points at or before the clean point.
  // Where to start looking: the index entry a second and a preroll before start, else packets
  // sent ever longer before it; the whole file from its first packet when nothing nearer works.
  std::vector<uint64_t> starts;
  if (file.simpleIndex) starts.push_back(file.simpleIndex->PacketFor(start > kOneSecond ? start - kOneSecond : 0).value_or(0));
  const uint64_t startMs = start / 10000;
  for (const uint64_t back : {2000u, 8000u, 32000u, 128000u}) {
    if (startMs > back) starts.push_back(PacketSentBy(file, startMs - back));
  }
  starts.push_back(0);
  AsfCleanPointScan scan;
  for (const uint64_t from : starts) {
    scan = ScanForCleanPoint(file, state_->timing, from, keyStream, start);
    if (keyStream == 0 || scan.cleanTime || from == 0) break;
  }
  if (!scan.reachedS) return E_INVALIDARG;
  const uint64_t clean = keyStream != 0 && scan.cleanTime ? *scan.cleanTime : start;
  const uint64_t rangePacket = keyStream != 0 && scan.cleanTime ? scan.cleanPacket : scan.firstPacket;
  // Objects of other streams at or after the clean point may sit in packets sent before it: our
  // writer sends a payload a preroll ahead of its presentation, other writers earlier still.
  // Reading starts a further preroll back; the samples found there before the clean point are
  // dropped, and fragments of objects begun before that packet wait for the start of an object.
  const uint64_t cleanMs = clean / 10000;
  const uint64_t prerollMs = std::min<uint64_t>(file.header.file.preroll, UINT32_MAX);
  const uint64_t leadIn = PacketSentBy(file, cleanMs > prerollMs ? cleanMs - prerollMs : 0);
  Restart(std::min(leadIn, rangePacket), rangePacket, clean, end);
  return S_OK;
}

HRESULT AsfSyncReader::ReadMore() {
  OpenState& st = *state_;
  if (nextPacket_ >= st.file.packetCount) {
    atEnd_ = true;
    return st.assembler.DropIncomplete() ? NS_E_CORRUPTED_DATA_UNIT : S_OK;
  }
  AsfPacket packet;
  HRESULT hr = S_OK;
  const PacketRead read = ReadPacket(st.file, nextPacket_, packetBuffer_, packet, &hr);
  ++nextPacket_;
  if (read == PacketRead::kPastEnd) nextPacket_ = st.file.packetCount;
  if (read != PacketRead::kOk) return DamageInRange(nextPacket_ - 1, hr);
  NoteSent(packet);
  hr = st.assembler.Add(packet, nextPacket_ - 1);
  while (auto object = st.assembler.Take()) {
    if (!Selected(object->streamNumber)) continue;
    const uint32_t presentation = st.timing.AlignedMs(object->streamNumber, object->presentationTimeMs);
    AsfSample sample = st.timing.ToSample(std::move(*object));
    if (sample.time < rangeStart_) continue;
    pendingBytes_ += sample.bytes.size();
    pending_.push_back({presentation, order_++, std::move(sample)});
    std::push_heap(pending_.begin(), pending_.end());
  }
  return DamageInRange(nextPacket_ - 1, hr);
}

// A stream moved back by a shift was sent in the order of its stored times, often after all the
// others: each group of streams sharing a shift counts its own send times.
void AsfSyncReader::NoteSent(const AsfPacket& packet) {
  const auto note = [&](uint32_t shift) {
    const auto group = sentMs_.find(shift);
    if (group == sentMs_.end()) return;
    const uint64_t sent = packet.sendTimeMs > shift ? packet.sendTimeMs - shift : 0;
    group->second = std::max(group->second, sent);
  };
  if (packet.payloads.empty()) note(0);
  for (const AsfPayload& payload : packet.payloads) note(state_->timing.ShiftOf(payload.streamNumber));
}

uint64_t AsfSyncReader::SentMs() const {
  uint64_t sent = UINT64_MAX;
  for (const auto& [shift, ms] : sentMs_) sent = std::min(sent, ms);
  return sent == UINT64_MAX ? 0 : sent;
}

// Damage in the packets read ahead of the range's own first packet is stepped over: the clean
// point lies after it, and reporting it would send a caller probing past a damaged stretch
// back to that stretch. Objects it broke are not pieced together.
HRESULT AsfSyncReader::DamageInRange(uint64_t packet, HRESULT hr) {
  if (packet >= rangePacket_ || Succeeded(hr)) return hr;
  state_->assembler.Reset();
  return S_OK;
}

// A sample may go once no later packet can hold an earlier one: a payload is never presented
// before its packet is sent. Ahead of damage nothing later is read until the damage is reported,
// so the whole samples read before it go first.
bool AsfSyncReader::CanRelease() const {
  if (pending_.empty()) return false;
  if (Failed(damage_)) return pending_.front().sample.time <= rangeEnd_;
  return atEnd_ || pending_.front().presentationTimeMs <= SentMs() || pendingBytes_ > kMaxPendingBytes ||
         pending_.size() > kMaxPendingSamples;
}

HRESULT AsfSyncReader::GetNextSample(AsfSample& sample) {
  if (!open_) return NS_E_INVALID_REQUEST;
  while (!finished_) {
    if (CanRelease()) {
      std::pop_heap(pending_.begin(), pending_.end());
      Pending next = std::move(pending_.back());
      pending_.pop_back();
      pendingBytes_ -= next.sample.bytes.size();
      if (next.sample.time > rangeEnd_) break;
      // A file out of order is delivered in order all the same.
      next.sample.time = std::max(next.sample.time, lastTime_);
      lastTime_ = next.sample.time;
      sample = std::move(next.sample);
      return S_OK;
    }
    if (Failed(damage_)) {
      // Whole samples behind the damage that belong before what has gone can no longer come in
      // order: they count as part of the damaged stretch.
      rangeStart_ = std::max(rangeStart_, lastTime_);
      return std::exchange(damage_, S_OK);
    }
    if (atEnd_) break;
    // The damage is reported once the samples that were whole before it have gone.
    damage_ = ReadMore();
  }
  finished_ = true;
  pending_.clear();
  pendingBytes_ = 0;
  return NS_E_NO_MORE_SAMPLES;
}

}  // namespace korvel::asf
