#include "mediainfo/same_format.h"
#include "mediainfo/stream_pairing.h"

namespace korvel {
namespace {

bool SameAudioObjectTypes(const QdMediaStream& p, const QdMediaStream& q) {
  return p.EsdsObjectType == q.EsdsObjectType && p.Mpeg4AudioType == q.Mpeg4AudioType;
}

bool SameBlockSizes(const QdMediaStream& p, const QdMediaStream& q) {
  return p.FormatSize() == q.FormatSize() && p.Extra1Size() == q.Extra1Size() && p.Extra2Size() == q.Extra2Size() &&
         p.Extra3Size() == q.Extra3Size();
}

constexpr int kLastLevel = 15;
constexpr PairingCriterion kCriteria[] = {
    {SameField<&QdMediaStream::Ignored>, 14},
    {SameField<&QdMediaStream::StreamType>, 13},
    {SameField<&QdMediaStream::TrackTypeName>, 12},
    {SameField<&QdMediaStream::MediaDataName>, 11},
    {SameField<&QdMediaStream::Language>, 10},
    {SameBlockSizes, 9},
    {SameField<&QdMediaStream::Width>, 8},
    {SameField<&QdMediaStream::Height>, 7},
    {SameField<&QdMediaStream::TimeBase>, 6},
    {SameField<&QdMediaStream::SampleRate>, 5},
    {SameField<&QdMediaStream::Channels>, 4},
    {SameAudioObjectTypes, 3},
    {SameField<&QdMediaStream::Ac3Params>, 2},
    {SameField<&QdMediaStream::BitRate>, 1},
    {SameField<&QdMediaStream::RateX1000>, 0},
};

bool StrictlySame(const QdMediaStream& p, const QdMediaStream& q) {
  if (p.StreamType != q.StreamType || p.TrackTypeName != q.TrackTypeName || p.MediaDataName != q.MediaDataName)
    return false;
  const bool video = p.StreamType == kStreamVideo;
  const bool audio = p.StreamType == kStreamAudio;
  if (!video && p.TimeBase != q.TimeBase) return false;
  if ((video || p.StreamType == kStreamText) && (p.Width != q.Width || p.Height != q.Height)) return false;
  if (audio && (p.SampleRate != q.SampleRate || p.Channels != q.Channels || !SameAudioObjectTypes(p, q) ||
                p.Ac3Params != q.Ac3Params))
    return false;
  // Decoder configurations must be identical for the samples of both files to decode alike.
  if ((video || audio) && (p.Format != q.Format || p.Extra1 != q.Extra1)) return false;
  if (video && (p.Extra2 != q.Extra2 || p.Extra3 != q.Extra3)) return false;
  return true;
}

}  // namespace

const QdMediaStream* FindSameMp4Track(const QdMediaStream& p, QdMediaInfo& b) {
  return FindPartner(p, b, kCriteria, kLastLevel);
}

bool IsSameMp4Format(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk) {
  return CompareStreams(a, b, chk, {FindSameMp4Track, StrictlySame, true});
}

}  // namespace korvel
