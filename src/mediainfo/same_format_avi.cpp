#include <algorithm>
#include <optional>

#include "base/byte_view.h"
#include "mediainfo/same_format.h"
#include "mediainfo/stream_pairing.h"

namespace korvel {
namespace {

bool SameFormatSize(const QdMediaStream& p, const QdMediaStream& q) { return p.FormatSize() == q.FormatSize(); }

constexpr int kLastLevel = 6;
constexpr PairingCriterion kCriteria[] = {
    {SameField<&QdMediaStream::StreamType>, 5},
    {SameField<&QdMediaStream::FourCCClass>, 4},
    {SameField<&QdMediaStream::FourCC>, 3},
    {SameField<&QdMediaStream::RateX1000>, 2},
    {SameField<&QdMediaStream::Width>, 1},
    {SameField<&QdMediaStream::Height>, 1},
    {SameFormatSize, 0},
};

// One little-endian field of an audio stream's WAVEFORMATEX; nothing where the block ends first.
template <size_t Offset, size_t Size>
std::optional<uint32_t> WaveField(const QdMediaStream& s) {
  const ByteView bytes(s.Format);
  if constexpr (Size == 2) {
    const auto value = bytes.U16LE(Offset);
    return value ? std::optional<uint32_t>(*value) : std::nullopt;
  } else {
    return bytes.U32LE(Offset);
  }
}

template <size_t Offset, size_t Size>
bool SameWaveField(const QdMediaStream& p, const QdMediaStream& q) {
  return WaveField<Offset, Size>(p) == WaveField<Offset, Size>(q);
}

template <size_t Offset, size_t Size>
std::string WaveFieldText(const QdMediaStream& s, const QdMediaStream&) {
  const auto value = WaveField<Offset, Size>(s);
  return value ? std::to_string(*value) : "-";
}

// The codec's own bytes after the 18 of the WAVEFORMATEX.
constexpr size_t kWaveHeaderBytes = 18;
std::span<const uint8_t> CodecBytes(const QdMediaStream& s) {
  return std::span<const uint8_t>(s.Format).subspan(std::min(s.Format.size(), kWaveHeaderBytes));
}
bool SameCodecBytes(const QdMediaStream& p, const QdMediaStream& q) {
  return std::ranges::equal(CodecBytes(p), CodecBytes(q));
}
std::string CodecBytesText(const QdMediaStream& s, const QdMediaStream& other) {
  return BytesText(CodecBytes(s), CodecBytes(other));
}

std::string FourCCClassText(const QdMediaStream& s, const QdMediaStream&) { return FourCCToText(s.FourCCClass); }
std::string FormatSizeText(const QdMediaStream& s, const QdMediaStream&) { return std::to_string(s.FormatSize()); }

// An audio format must match field by field, except nAvgBytesPerSec (bytes 8 to 11): a bit-rate
// hint that an encoder fills per file, different between two VBR files that join fine. The
// stream rate stays strict, so streams whose timing depends on the byte rate are still told apart.
constexpr StrictCheck kStrictChecks[] = {
    {"Stream Type", AnyStream, SameField<&QdMediaStream::StreamType>, NumberText<&QdMediaStream::StreamType>},
    {"Frame rate", AnyStream, SameField<&QdMediaStream::RateX1000>, RateText},
    {"Codec family", IsVideo, SameField<&QdMediaStream::FourCCClass>, FourCCClassText},
    {"Width", IsVideo, SameField<&QdMediaStream::Width>, NumberText<&QdMediaStream::Width>},
    {"Height", IsVideo, SameField<&QdMediaStream::Height>, NumberText<&QdMediaStream::Height>},
    {"Format size", IsAudio, SameFormatSize, FormatSizeText},
    {"wFormatTag", IsAudio, SameWaveField<0, 2>, WaveFieldText<0, 2>},
    {"nChannels", IsAudio, SameWaveField<2, 2>, WaveFieldText<2, 2>},
    {"nSamplesPerSec", IsAudio, SameWaveField<4, 4>, WaveFieldText<4, 4>},
    {"nBlockAlign", IsAudio, SameWaveField<12, 2>, WaveFieldText<12, 2>},
    {"wBitsPerSample", IsAudio, SameWaveField<14, 2>, WaveFieldText<14, 2>},
    {"cbSize", IsAudio, SameWaveField<16, 2>, WaveFieldText<16, 2>},
    {"Codec data", IsAudio, SameCodecBytes, CodecBytesText},
};

}  // namespace

std::span<const StrictCheck> AviStrictChecks() { return kStrictChecks; }

bool SameAviAudioFormat(const QdMediaStream& p, const QdMediaStream& q) {
  return std::ranges::none_of(kStrictChecks, [&](const StrictCheck& c) { return c.applies == IsAudio && !c.same(p, q); });
}

const QdMediaStream* FindSameAviStream(const QdMediaStream& p, QdMediaInfo& b) {
  return FindPartner(p, b, kCriteria, kLastLevel);
}

bool IsSameAviFormat(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk) {
  return CompareStreams(a, b, chk, {FindSameAviStream, AviStrictChecks(), false});
}

}  // namespace korvel
