#include "avi/avi_read_stream.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "avi/avi_read_handler_avi2.h"

namespace korvel {
namespace {

constexpr int64_t kAllSamples = -1;
constexpr int64_t kAllSamplesCount = 65536;
constexpr uint64_t kPositionMask = (uint64_t{1} << 48) - 1;

uint32_t StreamSampleSize(const AviStreamNode& node) {
  if (node.IsVideo()) return 0;
  if (node.IsAudio()) return node.irregularChunks ? 0 : std::max<uint32_t>(node.BlockAlign(), 1);
  return node.header.dwSampleSize;
}

int64_t RoundToInt64(long double value) {
  const long double rounded = std::floor(value + 0.5L);
  if (std::isnan(rounded)) return 0;
  if (rounded >= static_cast<long double>(std::numeric_limits<int64_t>::max()))
    return std::numeric_limits<int64_t>::max();
  if (rounded <= static_cast<long double>(std::numeric_limits<int64_t>::min()))
    return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(rounded);
}

void Report(int64_t* bytesRead, int64_t* samplesRead, int64_t bytes, int64_t samples) {
  if (bytesRead) *bytesRead = bytes;
  if (samplesRead) *samplesRead = samples;
}

}  // namespace

AviReadStream::AviReadStream(std::shared_ptr<AviReadHandlerAvi2> handler, AviStreamNode& node, int32_t streamNumber)
    : handler_(std::move(handler)), node_(node), streamNumber_(streamNumber), sampleSize_(StreamSampleSize(node)) {}

void AviReadStream::Info(AviStreamInfo& info) const {
  const AviStreamHeader& h = node_.header;
  info = AviStreamInfo{};
  info.fccType = h.fccType;
  info.fccHandler = h.fccHandler;
  info.dwFlags = h.dwFlags;
  info.wPriority = h.wPriority;
  info.wLanguage = h.wLanguage;
  info.dwScale = h.dwScale;
  info.dwRate = h.dwRate;
  info.dwStart = h.dwStart;
  info.dwLength = h.dwLength;
  info.dwInitialFrames = h.dwInitialFrames;
  info.dwSuggestedBufferSize = h.dwSuggestedBufferSize;
  info.dwQuality = h.dwQuality;
  info.dwSampleSize = h.dwSampleSize;
  info.rcLeft = h.rcLeft;
  info.rcTop = h.rcTop;
  info.rcRight = h.rcRight;
  info.rcBottom = h.rcBottom;
}

HRESULT AviReadStream::InfoAndFormat(AviStreamInfo& info, std::vector<uint8_t>& format) const {
  Info(info);
  if (node_.format.empty()) return AVIERR_BADFORMAT;
  format = node_.format;
  return S_OK;
}

int64_t AviReadStream::SamplePosition(int64_t sample) const {
  if (!Inside(sample)) return -1;
  const auto cursor = node_.index.Find(static_cast<uint64_t>(sample));
  if (!cursor) return -1;
  return static_cast<int64_t>(node_.index.PieceAt(*cursor).position & kPositionMask);
}

int64_t AviReadStream::TimeToSample(int64_t ms) const {
  const AviStreamHeader& h = node_.header;
  if (h.dwScale == 0) return 0;
  return RoundToInt64(static_cast<long double>(ms) * h.dwRate / h.dwScale * 0.001L);
}

int64_t AviReadStream::SampleToTime(int64_t sample) const {
  const AviStreamHeader& h = node_.header;
  if (h.dwRate == 0) return 0;
  return RoundToInt64(static_cast<long double>(sample) * h.dwScale / h.dwRate * 1000.0L);
}

std::optional<uint32_t> AviReadStream::EntryOf(int64_t sample) const {
  if (!Inside(sample)) return std::nullopt;
  const auto cursor = node_.index.Find(static_cast<uint64_t>(sample));
  if (!cursor) return std::nullopt;
  return cursor->entry;
}

int64_t AviReadStream::SampleOfEntry(std::optional<uint32_t> entry) const {
  return entry ? static_cast<int64_t>(node_.index.EntrySample(*entry)) : -1;
}

bool AviReadStream::IsKeyFrame(int64_t sample) const {
  const auto entry = EntryOf(sample);
  return entry && node_.index.IsKey(*entry);
}

int64_t AviReadStream::NearestKeyFrame(int64_t sample) const {
  if (sampleSize_ != 0) return sample;
  if (sample < 0 || Length() == 0) return -1;
  const auto entry = EntryOf(std::min(sample, Length() - 1));
  return entry ? SampleOfEntry(node_.index.KeyEntryAtOrBefore(*entry)) : -1;
}

int64_t AviReadStream::PrevKeyFrame(int64_t sample) const {
  if (sample <= 0) return -1;
  if (sampleSize_ != 0) return sample - 1;
  if (sample >= Length()) return NearestKeyFrame(Length() - 1);
  const auto entry = EntryOf(sample);
  if (!entry || *entry == 0) return -1;
  return SampleOfEntry(node_.index.KeyEntryAtOrBefore(*entry - 1));
}

int64_t AviReadStream::NextKeyFrame(int64_t sample) const {
  if (!Inside(sample)) return -1;
  if (sampleSize_ != 0) return sample + 1;
  const auto entry = EntryOf(sample);
  return entry ? SampleOfEntry(node_.index.KeyEntryAfter(*entry)) : -1;
}

bool AviReadStream::GetVBRInfo(double& meanBitRate, double& deviation, double& maxDrift) const {
  const AviReadIndex& index = node_.index;
  const uint32_t n = index.EntryCount();
  if (!node_.irregularChunks || n == 0 || node_.header.dwScale == 0) return false;
  const double rate = static_cast<double>(node_.header.dwRate) / node_.header.dwScale;
  const double totalBytes = static_cast<double>(index.TotalBytes());
  meanBitRate = 8.0 * totalBytes / n * rate;
  double sumSquares = 0;
  for (uint32_t e = 0; e < n; ++e) {
    const double bits = 8.0 * index.EntrySize(e);
    sumSquares += bits * bits;
  }
  const double spread = n * sumSquares - (8.0 * totalBytes) * (8.0 * totalBytes);
  deviation = rate * std::sqrt(std::max(0.0, spread)) / n;
  maxDrift = 0;
  double before = 0;
  for (uint32_t e = 0; e < n; ++e) {
    const double size = index.EntrySize(e);
    const double drift = std::fabs((e + 0.5) * totalBytes / n - (before + size / 2));
    if (meanBitRate > 0) maxDrift = std::max(maxDrift, drift * 8.0 / meanBitRate);
    before += size;
  }
  return true;
}

HRESULT AviReadStream::Read(int64_t start, int64_t count, uint8_t* buffer, int64_t bufferLength, int64_t* bytesRead,
                            int64_t* samplesRead) {
  int64_t bytes = 0;
  int64_t samples = 0;
  HRESULT result = S_OK;
  if (Inside(start) && (count >= 1 || count == kAllSamples)) {
    result = sampleSize_ != 0 ? ReadFixed(start, count, buffer, bufferLength, bytes, samples)
                              : ReadVariable(start, buffer, bufferLength, bytes, samples);
  }
  Report(bytesRead, samplesRead, bytes, samples);
  return result;
}

HRESULT AviReadStream::ReadFixed(int64_t start, int64_t count, uint8_t* buffer, int64_t bufferLength, int64_t& bytes,
                                 int64_t& samples) {
  const int64_t unit = sampleSize_;
  if (count == kAllSamples) count = kAllSamplesCount;
  if (buffer && bufferLength < unit) {
    bytes = count * unit;
    samples = count;
    return AVIERR_BUFFERTOOSMALL;
  }
  if (buffer) count = std::min(count, bufferLength / unit);
  count = std::min(count, Length() - start);
  if (!buffer) {
    bytes = count * unit;
    samples = count;
    return S_OK;
  }
  auto cursor = node_.index.Find(static_cast<uint64_t>(start));
  const uint64_t wanted = static_cast<uint64_t>(count * unit);
  uint64_t got = 0;
  bool readError = false;
  File64& file = handler_->File();
  while (cursor && got < wanted) {
    const AviReadIndex::Piece piece = node_.index.PieceAt(*cursor);
    const uint64_t length = std::min<uint64_t>(piece.length, wanted - got);
    if (length > 0) {
      const int64_t read = file.Seek(piece.position) ? file.Read(buffer + got, length) : -1;
      if (read < 0) {
        readError = true;
        break;
      }
      got += static_cast<uint64_t>(read);
      if (static_cast<uint64_t>(read) < length) break;
    }
    if (!node_.index.Advance(*cursor)) break;
  }
  if (got < static_cast<uint64_t>(unit)) {
    bytes = readError ? -1 : 0;
    samples = 0;
    return AVIERR_FILEREAD;
  }
  samples = static_cast<int64_t>(got / static_cast<uint64_t>(unit));
  bytes = samples * unit;
  return S_OK;
}

HRESULT AviReadStream::ReadVariable(int64_t start, uint8_t* buffer, int64_t bufferLength, int64_t& bytes,
                                    int64_t& samples) {
  const auto cursor = node_.index.Find(static_cast<uint64_t>(start));
  if (!cursor) return S_OK;
  const AviReadIndex::Piece piece = node_.index.PieceAt(*cursor);
  const int64_t size = piece.length;
  bytes = size;
  samples = 1;
  if (!buffer) return S_OK;
  if (bufferLength < size) return AVIERR_BUFFERTOOSMALL;
  File64& file = handler_->File();
  const int64_t read = file.Seek(piece.position) ? file.Read(buffer, static_cast<size_t>(size)) : -1;
  if (read != size) {
    bytes = read < 0 ? -1 : 0;
    samples = 0;
    return AVIERR_FILEREAD;
  }
  return S_OK;
}

}  // namespace korvel
