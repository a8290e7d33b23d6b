#include "base/hex.h"
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

std::string Ac3Text(const QdMediaStream& s, const QdMediaStream&) { return ToHexUpper(s.Ac3Params); }

// Decoder configurations must be identical for the samples of both files to decode alike.
constexpr StrictCheck kStrictChecks[] = {
    {"Stream Type", AnyStream, SameField<&QdMediaStream::StreamType>, NumberText<&QdMediaStream::StreamType>},
    {"Track type", AnyStream, SameField<&QdMediaStream::TrackTypeName>, PlainText<&QdMediaStream::TrackTypeName>},
    {"Media data name", AnyStream, SameField<&QdMediaStream::MediaDataName>, PlainText<&QdMediaStream::MediaDataName>},
    {"Time Scale", IsNotVideo, SameField<&QdMediaStream::TimeBase>, NumberText<&QdMediaStream::TimeBase>},
    {"Width", IsVideoOrText, SameField<&QdMediaStream::Width>, NumberText<&QdMediaStream::Width>},
    {"Height", IsVideoOrText, SameField<&QdMediaStream::Height>, NumberText<&QdMediaStream::Height>},
    {"Sample rate", IsAudio, SameField<&QdMediaStream::SampleRate>, NumberText<&QdMediaStream::SampleRate>},
    {"Channels", IsAudio, SameField<&QdMediaStream::Channels>, NumberText<&QdMediaStream::Channels>},
    {"ES object type", IsAudio, SameField<&QdMediaStream::EsdsObjectType>, NumberText<&QdMediaStream::EsdsObjectType>},
    {"MPEG-4 audio type", IsAudio, SameField<&QdMediaStream::Mpeg4AudioType>,
     NumberText<&QdMediaStream::Mpeg4AudioType>},
    {"AC-3 parameters", IsAudio, SameField<&QdMediaStream::Ac3Params>, Ac3Text},
    {"Format", IsVideoOrAudio, SameField<&QdMediaStream::Format>, BlockText<&QdMediaStream::Format>},
    {"ES Configuration", IsVideoOrAudio, SameField<&QdMediaStream::Extra1>, BlockText<&QdMediaStream::Extra1>},
    {"Sequence Parameter", IsVideo, SameField<&QdMediaStream::Extra2>, BlockText<&QdMediaStream::Extra2>},
    {"Picture Parameter", IsVideo, SameField<&QdMediaStream::Extra3>, BlockText<&QdMediaStream::Extra3>},
};

}  // namespace

std::span<const StrictCheck> Mp4StrictChecks() { return kStrictChecks; }

const QdMediaStream* FindSameMp4Track(const QdMediaStream& p, QdMediaInfo& b) {
  return FindPartner(p, b, kCriteria, kLastLevel);
}

bool IsSameMp4Format(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk) {
  return CompareStreams(a, b, chk, {FindSameMp4Track, Mp4StrictChecks(), true});
}

}  // namespace korvel
