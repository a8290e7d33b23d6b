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

bool StrictlySame(const QdMediaStream& p, const QdMediaStream& q) {
  if (p.StreamType != q.StreamType || p.RateX1000 != q.RateX1000) return false;
  if (p.StreamType == kStreamVideo)
    return p.FourCCClass == q.FourCCClass && p.Width == q.Width && p.Height == q.Height;
  if (p.StreamType == kStreamAudio) return p.Format == q.Format;  // size and bytes
  return true;
}

}  // namespace

const QdMediaStream* FindSameAviStream(const QdMediaStream& p, QdMediaInfo& b) {
  return FindPartner(p, b, kCriteria, kLastLevel);
}

bool IsSameAviFormat(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk) {
  return CompareStreams(a, b, chk, {FindSameAviStream, StrictlySame, false});
}

}  // namespace korvel
