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

bool StrictlySame(const QdMediaStream& p, const QdMediaStream& q) {
  if (p.StreamType != q.StreamType || p.MediaTypeGuids != q.MediaTypeGuids || p.VbrMode != q.VbrMode) return false;
  if (p.StreamType != kStreamVideo) {
    const bool bitRateFits =
        p.BitRate == q.BitRate || p.BitRate < kMeaningfulBitRate || q.BitRate < kMeaningfulBitRate;
    return bitRateFits && p.CodecDesc == q.CodecDesc;
  }
  const bool rateFits = p.RateX1000 == q.RateX1000 || p.RateX1000 <= 0 || q.RateX1000 <= 0;  // 0: unknown rate
  return p.Width == q.Width && p.Height == q.Height && rateFits;
}

}  // namespace

const QdMediaStream* FindSameWmvStream(const QdMediaStream& p, QdMediaInfo& b) {
  return FindPartner(p, b, kCriteria, kLastLevel);
}

bool IsSameWmvFormat(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk) {
  return CompareStreams(a, b, chk, {FindSameWmvStream, StrictlySame, false});
}

}  // namespace korvel
