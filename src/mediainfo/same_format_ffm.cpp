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

constexpr StrictCheck kStrictChecks[] = {
    {"Stream Type", AnyStream, SameField<&QdMediaStream::StreamType>, NumberText<&QdMediaStream::StreamType>},
    {"Frame rate", AnyStream, SameField<&QdMediaStream::RateX1000>, RateText},
    {"Time base", AnyStream, SameField<&QdMediaStream::TimeBase>, NumberText<&QdMediaStream::TimeBase>},
    {"Codec ID", IsVideoOrAudio, SameField<&QdMediaStream::CodecId>, NumberText<&QdMediaStream::CodecId>},
    {"Width", IsVideoOrText, SameField<&QdMediaStream::Width>, NumberText<&QdMediaStream::Width>},
    {"Display height", IsVideoOrText, SameField<&QdMediaStream::DisplayHeight>,
     NumberText<&QdMediaStream::DisplayHeight>},
    {"Pixel format", IsVideo, SameField<&QdMediaStream::PixelFormat>, NumberText<&QdMediaStream::PixelFormat>},
    {"Sample rate", IsAudio, SameField<&QdMediaStream::SampleRate>, NumberText<&QdMediaStream::SampleRate>},
    {"Channels", IsAudio, SameField<&QdMediaStream::Channels>, NumberText<&QdMediaStream::Channels>},
    {"Sample format", IsAudio, SameField<&QdMediaStream::SampleFormat>, NumberText<&QdMediaStream::SampleFormat>},
    {"Frame size", IsAudio, SameField<&QdMediaStream::FrameSize>, NumberText<&QdMediaStream::FrameSize>},
};

}  // namespace

std::span<const StrictCheck> FfmStrictChecks() { return kStrictChecks; }

const QdMediaStream* FindSameFfmStream(const QdMediaStream& p, QdMediaInfo& b) {
  return FindPartner(p, b, kCriteria, kLastLevel);
}

bool IsSameFfmFormat(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk) {
  return CompareStreams(a, b, chk, {FindSameFfmStream, FfmStrictChecks(), true});
}

}  // namespace korvel
