#include "wmv/wmv_stream_table.h"

#include <algorithm>
#include <cstring>

#include "wmv/asf/asf_guids.h"
#include "wmv/wmv_header_copy.h"

namespace korvel {
namespace {

// WAVEFORMATEX.nAvgBytesPerSec.
constexpr size_t kWaveAvgBytesOffset = 8;
// Frame durations this close (100 ns units) are one rate written with different rounding.
constexpr int64_t kFrameDurationSlack = 3;

void ZeroField(std::vector<uint8_t>& block, size_t offset, size_t size) {
  if (offset <= block.size() && size <= block.size() - offset) std::memset(block.data() + offset, 0, size);
}

bool ReadI64(const std::vector<uint8_t>& block, size_t offset, int64_t& value) {
  if (offset > block.size() || 8 > block.size() - offset) return false;
  std::memcpy(&value, block.data() + offset, 8);
  return true;
}

}  // namespace

void TWmStreamMap::Reset(size_t clips, size_t streams) {
  clips_ = clips;
  streams_ = streams;
  numbers_.assign(clips * streams, 0);
}

uint16_t TWmStreamMap::At(size_t clip, size_t stream) const {
  return clip < clips_ && stream < streams_ ? numbers_[clip * streams_ + stream] : 0;
}

void TWmStreamMap::Set(size_t clip, size_t stream, uint16_t number) {
  if (clip < clips_ && stream < streams_) numbers_[clip * streams_ + stream] = number;
}

bool TWmStreamMap::RowHas(size_t clip, uint16_t number) const {
  for (size_t i = 0; i < streams_; ++i)
    if (At(clip, i) == number) return true;
  return false;
}

uint16_t TWmStreamMap::MapStream(uint16_t number, size_t clip) const {
  for (size_t i = 0; i < streams_; ++i)
    if (At(clip, i) == number) return At(0, i);
  return 0;
}

bool SameMediaType(asf::WmMediaType& a, asf::WmMediaType& b, bool vbr) {
  if (a.majortype != b.majortype || a.subtype != b.subtype || a.bFixedSizeSamples != b.bFixedSizeSamples ||
      a.bTemporalCompression != b.bTemporalCompression || a.lSampleSize != b.lSampleSize ||
      a.formattype != b.formattype || a.format.size() != b.format.size())
    return false;
  const bool video = a.formattype == asf::WMFORMAT_VideoInfo;
  if (vbr && a.formattype == asf::WMFORMAT_WaveFormatEx) {
    ZeroField(a.format, kWaveAvgBytesOffset, 4);
    ZeroField(b.format, kWaveAvgBytesOffset, 4);
  }
  if (video) {
    ZeroField(a.format, asf::kVideoInfoBitRateOffset, 4);
    ZeroField(b.format, asf::kVideoInfoBitRateOffset, 4);
    int64_t frameA = 0;
    int64_t frameB = 0;
    if (ReadI64(a.format, asf::kVideoInfoTimePerFrameOffset, frameA) &&
        ReadI64(b.format, asf::kVideoInfoTimePerFrameOffset, frameB)) {
      // Compared without overflow: the fields are the file's and may hold anything.
      const bool close = frameA >= frameB ? static_cast<uint64_t>(frameA) - static_cast<uint64_t>(frameB) <=
                                                static_cast<uint64_t>(kFrameDurationSlack)
                                          : static_cast<uint64_t>(frameB) - static_cast<uint64_t>(frameA) <=
                                                static_cast<uint64_t>(kFrameDurationSlack);
      if (frameA == 0 || frameB == 0 || close)
        std::memcpy(b.format.data() + asf::kVideoInfoTimePerFrameOffset, &frameA, 8);
    }
  }
  return a.format == b.format;
}

HRESULT TWmStreamTable::Load(const asf::AsfProfile& profile) {
  streams_.clear();
  const uint32_t count = profile.GetStreamCount();
  for (uint32_t i = 0; i < count; ++i) {
    asf::AsfStreamConfig config;
    const HRESULT result = profile.GetStream(i, config);
    if (Failed(result)) return result;
    Entry entry;
    entry.number = config.GetStreamNumber();
    entry.bufferWindow = config.GetBufferWindow();
    uint32_t vbr = 0;
    entry.vbr = Succeeded(GetVaultDword(config, "_VBRENABLED", vbr)) ? static_cast<int32_t>(vbr) : 0;
    entry.mediaType = config.MediaType();
    streams_.push_back(std::move(entry));
  }
  return S_OK;
}

void TWmStreamTable::CopyNumbers(TWmStreamMap& map) const {
  for (size_t i = 0; i < streams_.size(); ++i) map.Set(0, i, streams_[i].number);
}

bool TWmStreamTable::Match(TWmStreamTable& other, TWmStreamMap& map, size_t clip) {
  for (size_t i = 0; i < streams_.size(); ++i) {
    Entry& own = streams_[i];
    map.Set(0, i, own.number);
    Entry* partner = nullptr;
    for (Entry& candidate : other.streams_) {
      if (candidate.vbr != own.vbr || map.RowHas(clip, candidate.number)) continue;
      if (!SameMediaType(own.mediaType, candidate.mediaType, own.vbr != 0)) continue;
      partner = &candidate;
      break;
    }
    if (!partner) return false;
    map.Set(clip, i, partner->number);
    own.bufferWindow = std::max(own.bufferWindow, partner->bufferWindow);
  }
  return true;
}

HRESULT TWmStreamTable::ApplyBufferWindows(asf::AsfProfile& profile) const {
  for (const Entry& entry : streams_) {
    if (entry.number == 0) continue;
    asf::AsfStreamConfig config;
    HRESULT result = profile.GetStreamByNumber(entry.number, config);
    if (Failed(result)) return result;
    config.SetBufferWindow(entry.bufferWindow);
    result = profile.ReconfigStream(config);
    if (Failed(result)) return result;
  }
  return S_OK;
}

}  // namespace korvel
