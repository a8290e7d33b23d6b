#include "mediainfo/mp4_media_info.h"

#include <algorithm>
#include <exception>
#include <limits>

#include "mediainfo/container_kind.h"
#include "mediainfo/detect_container.h"
#include "mp4/mp4_source_reader.h"

namespace korvel {
namespace {

uint8_t StreamTypeOf(const std::string& trackType) {
  if (trackType == kMp4TrackVideo) return kStreamVideo;
  if (trackType == kMp4TrackAudio) return kStreamAudio;
  if (trackType == kMp4TrackSubtitle) return kStreamText;
  return kStreamOther;
}

// The sub-kind the file's brand gives; 0 when the file cannot be read or has no brand.
uint8_t SubKindOfFile(const std::filesystem::path& fileName) {
  int brand = 0;
  DetectContainer(fileName, &brand);
  return SubKindFromBrand(brand);
}

QdMediaStream StreamOf(const SMP4TrackInfo& track, uint32_t index) {
  QdMediaStream s;
  s.Index = static_cast<int32_t>(index);
  s.StreamType = StreamTypeOf(track.TrackType);
  s.TrackTypeName = track.TrackType;
  s.MediaDataName = track.MediaDataName;
  s.Language = track.Language;
  s.Ignored = track.Skipped;
  s.TimeBase = track.TimeScale;
  s.BitRate = track.BitRate;
  if (s.StreamType == kStreamVideo || s.StreamType == kStreamText) {
    s.RateX1000 = RateX1000(track.FrameRate, 1);
    s.Width = track.Width;
    s.Height = track.Height;
  }
  if (s.StreamType == kStreamAudio) {
    s.Channels = track.Channels > 0 ? static_cast<uint32_t>(track.Channels) : 0;
    s.SampleRate = track.SampleRate;
    s.EsdsObjectType = track.EsdsObjectType;
    s.Mpeg4AudioType = track.Mpeg4AudioType;
    s.Ac3Params = track.Ac3Params;
  }
  s.Extra1 = track.EsConfiguration;
  s.Extra2 = track.SequenceParameterSets;
  s.Extra3 = track.PictureParameterSets;
  s.Format = track.Svq3Metadata;
  return s;
}

// A reader that gives up half-way describes nothing.
const SMP4FileInfo* DescriptionOrNull(TMp4SourceReader& reader, const std::filesystem::path& fileName) {
  try {
    return reader.DescribeFile(fileName);
  } catch (const std::exception&) {
    return nullptr;
  }
}

}  // namespace

bool DescribeMp4File(const std::filesystem::path& fileName, QdMediaInfo& info) {
  info.Reset();
  // The sub-kind comes from the file's own first bytes, so the name must survive the reset.
  info.FileName = fileName;
  TMp4SourceReader reader;
  return Succeeded(LoadMp4Info(info, DescriptionOrNull(reader, fileName)));
}

HRESULT LoadMp4Info(QdMediaInfo& info, const SMP4FileInfo* fileInfo) {
  info.Kind = kKindMp4Family;
  info.FreeStreams();
  if (!fileInfo) return E_FAIL;
  info.SubKind = SubKindOfFile(info.FileName);
  info.Duration = static_cast<int32_t>(std::min<uint64_t>(fileInfo->Duration / 1000, std::numeric_limits<int32_t>::max()));
  // The MP4 producer copies the samples the movie box lists; those in movie fragments would be
  // lost, so a fragmented file is joined by the FFmpeg engine.
  if (fileInfo->Fragmented && info.SubKind == kSubKindMp4) info.SubKind = kSubKindMp4Unsupported;
  for (uint32_t index = 0; index < fileInfo->TrackCount(); ++index) {
    const SMP4TrackInfo* track = fileInfo->Tracks[index].get();
    if (!track) continue;
    info.Streams.push_back(StreamOf(*track, index));
    // Only files whose every copied track the MP4 producer knows go to it; the others are
    // joined by the FFmpeg engine.
    if (!track->Skipped && !track->Supported && info.SubKind == kSubKindMp4) info.SubKind = kSubKindMp4Unsupported;
  }
  info.ClearMatched();
  return S_OK;
}

}  // namespace korvel
