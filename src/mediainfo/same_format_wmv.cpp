#include "mediainfo/same_format.h"
#include "mediainfo/stream_pairing.h"

namespace korvel {
namespace {

bool SameMajorType(const QdMediaStream& p, const QdMediaStream& q) { return p.MediaTypeGuids[0] == q.MediaTypeGuids[0]; }
bool SameSubtype(const QdMediaStream& p, const QdMediaStream& q) { return p.MediaTypeGuids[1] == q.MediaTypeGuids[1]; }
bool SameFormatType(const QdMediaStream& p, const QdMediaStream& q) { return p.MediaTypeGuids[2] == q.MediaTypeGuids[2]; }

constexpr int kLastLevel = 10;
constexpr PairingCriterion kCriteria[] = {
    {SameField<&QdMediaStream::StreamType>, 9},
    {SameMajorType, 8},
    {SameSubtype, 7},
    {SameFormatType, 6},
    {SameField<&QdMediaStream::VbrMode>, 5},
    {SameField<&QdMediaStream::Width>, 4},
    {SameField<&QdMediaStream::Height>, 3},
    {SameField<&QdMediaStream::RateX1000>, 2},
    {SameField<&QdMediaStream::BitRate>, 1},
    {SameField<&QdMediaStream::CodecDesc>, 0},
};

// Below this an audio bit rate is taken as not really known.
constexpr uint32_t kMeaningfulBitRate = 1000;

bool BitRateFits(const QdMediaStream& p, const QdMediaStream& q) {
  return p.BitRate == q.BitRate || p.BitRate < kMeaningfulBitRate || q.BitRate < kMeaningfulBitRate;
}

bool RateFits(const QdMediaStream& p, const QdMediaStream& q) {
  return p.RateX1000 == q.RateX1000 || p.RateX1000 <= 0 || q.RateX1000 <= 0;  // 0: unknown rate
}

template <size_t I>
std::string GuidText(const QdMediaStream& s, const QdMediaStream&) {
  return GuidToText(s.MediaTypeGuids[I]);
}

constexpr StrictCheck kStrictChecks[] = {
    {"Stream Type", AnyStream, SameField<&QdMediaStream::StreamType>, NumberText<&QdMediaStream::StreamType>},
    {"Major type", AnyStream, SameMajorType, GuidText<0>},
    {"Subtype", AnyStream, SameSubtype, GuidText<1>},
    {"Format type", AnyStream, SameFormatType, GuidText<2>},
    {"VBR mode", AnyStream, SameField<&QdMediaStream::VbrMode>, NumberText<&QdMediaStream::VbrMode>},
    {"Bit rate", IsNotVideo, BitRateFits, NumberText<&QdMediaStream::BitRate>},
    {"Codec description", IsNotVideo, SameField<&QdMediaStream::CodecDesc>, PlainText<&QdMediaStream::CodecDesc>},
    {"Width", IsVideo, SameField<&QdMediaStream::Width>, NumberText<&QdMediaStream::Width>},
    {"Height", IsVideo, SameField<&QdMediaStream::Height>, NumberText<&QdMediaStream::Height>},
    {"Frame rate", IsVideo, RateFits, RateText},
};

}  // namespace

std::span<const StrictCheck> WmvStrictChecks() { return kStrictChecks; }

const QdMediaStream* FindSameWmvStream(const QdMediaStream& p, QdMediaInfo& b) {
  return FindPartner(p, b, kCriteria, kLastLevel);
}

bool IsSameWmvFormat(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk) {
  return CompareStreams(a, b, chk, {FindSameWmvStream, WmvStrictChecks(), false});
}

}  // namespace korvel
