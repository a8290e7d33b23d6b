#include "mediainfo/same_format.h"
#include "mediainfo/stream_pairing.h"

namespace korvel {
namespace {

constexpr int kLastLevel = 12;
constexpr PairingCriterion kCriteria[] = {
    {SameField<&QdMediaStream::Ignored>, 11},
    {SameField<&QdMediaStream::StreamType>, 10},
    {SameField<&QdMediaStream::CodecId>, 9},
    {SameField<&QdMediaStream::RateX1000>, 8},
    {SameField<&QdMediaStream::Width>, 7},
    {SameField<&QdMediaStream::DisplayHeight>, 6},
    {SameField<&QdMediaStream::TimeBase>, 5},
    {SameField<&QdMediaStream::PixelFormat>, 4},
    {SameField<&QdMediaStream::SampleRate>, 3},
    {SameField<&QdMediaStream::Channels>, 2},
    {SameField<&QdMediaStream::SampleFormat>, 1},
    {SameField<&QdMediaStream::FrameSize>, 0},
};

bool StrictlySame(const QdMediaStream& p, const QdMediaStream& q) {
  if (p.StreamType != q.StreamType || p.RateX1000 != q.RateX1000 || p.TimeBase != q.TimeBase) return false;
  switch (p.StreamType) {
    case kStreamVideo:
      return p.CodecId == q.CodecId && p.Width == q.Width && p.DisplayHeight == q.DisplayHeight &&
             p.PixelFormat == q.PixelFormat;
    case kStreamAudio:
      return p.CodecId == q.CodecId && p.SampleRate == q.SampleRate && p.Channels == q.Channels &&
             p.SampleFormat == q.SampleFormat && p.FrameSize == q.FrameSize;
    case kStreamText:
      return p.Width == q.Width && p.DisplayHeight == q.DisplayHeight;
    default:
      return true;
  }
}

}  // namespace

const QdMediaStream* FindSameFfmStream(const QdMediaStream& p, QdMediaInfo& b) {
  return FindPartner(p, b, kCriteria, kLastLevel);
}

bool IsSameFfmFormat(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk) {
  return CompareStreams(a, b, chk, {FindSameFfmStream, StrictlySame, true});
}

}  // namespace korvel
