#include "mp4/mp4_source_reader.h"

#include <algorithm>

namespace korvel {
namespace {

constexpr uint32_t kMicroseconds = 1000000;

// The parameter sets one after the other, as the producer and the join check compare them.
std::vector<uint8_t> Concatenated(const std::vector<std::vector<uint8_t>>& sets) {
  std::vector<uint8_t> bytes;
  for (const auto& set : sets) bytes.insert(bytes.end(), set.begin(), set.end());
  return bytes;
}

bool IsBlank(const std::filesystem::path& fileName) {
  const std::string& name = fileName.native();
  return std::all_of(name.begin(), name.end(), [](char c) { return c == ' ' || c == '\t'; });
}

}  // namespace

TMp4SourceReader::TMp4SourceReader() : current_(std::make_unique<SMP4FileInfo>()) {}

TMp4SourceReader::~TMp4SourceReader() = default;

bool TMp4SourceReader::OpenSource(const std::filesystem::path& fileName) {
  CloseSource();
  // The reader's error text is not shown: a file that cannot be read is simply not described.
  source_ = iso::IsoFile::Read(fileName);
  if (!source_) return false;
  ReadFileInfo();
  return true;
}

void TMp4SourceReader::ReadFileInfo(SMP4FileInfo* target) {
  if (!source_) return;
  SMP4FileInfo& info = target ? *target : *current_;
  info.TimeScale = source_->GetTimeScale();
  info.Duration = iso::IsoFile::ConvertDuration(source_->GetDuration(), info.TimeScale, kMicroseconds);
  info.Fragmented = source_->IsFragmented();
  info.SetTrackCount(source_->GetNumberOfTracks());
  for (uint32_t index = 0; index < info.TrackCount(); ++index) {
    if (const iso::IsoTrack* track = source_->Track(source_->FindTrackId(index)))
      info.Tracks[index] = ReadTrackInfo(*track, index);
  }
}

void TMp4SourceReader::CloseSource() { source_.reset(); }

const SMP4FileInfo* TMp4SourceReader::DescribeFile(const std::filesystem::path& fileName) {
  if (IsBlank(fileName)) return nullptr;
  const bool opened = OpenSource(fileName);
  CloseSource();
  return opened ? current_.get() : nullptr;
}

std::unique_ptr<SMP4TrackInfo> ReadTrackInfo(const iso::IsoTrack& track, uint32_t index) {
  auto info = std::make_unique<SMP4TrackInfo>();
  info->Index = index;
  info->TrackId = track.GetId();
  info->TimeScale = track.GetTimeScale();
  info->Duration = iso::IsoFile::ConvertDuration(track.GetDuration(), info->TimeScale, kMicroseconds);
  info->FixedSampleDuration = track.GetFixedSampleDuration();
  info->SampleCount = track.GetNumberOfSamples();
  info->TrackType = track.GetType();
  info->MediaDataName = track.GetMediaDataName();
  info->Language = track.GetLanguage();
  info->Classify();
  info->BitRate = track.GetBitRate();
  if (info->IsVideo || info->TrackType == kMp4TrackSubtitle) {
    info->Width = track.GetVideoWidth();
    info->Height = track.GetVideoHeight();
    info->FrameRate = track.GetVideoFrameRate();
  }
  if (info->IsVideo && info->MediaDataName == kMp4CodecSvq3) info->Svq3Metadata = track.GetSvq3Metadata();
  if (info->IsAudio) {
    info->Channels = track.GetAudioChannels();
    info->EsdsObjectType = track.GetEsdsObjectTypeId();
    info->Mpeg4AudioType = track.GetAudioMpeg4Type();
    // The sample entry of an AC-3 track carries a placeholder channel count; its "dac3" box
    // holds the real layout.
    if (const auto ac3 = info->IsAc3 ? track.GetAc3Specific() : std::nullopt) {
      info->Ac3Params = {ac3->fscod, ac3->bsid, ac3->bsmod, ac3->acmod, ac3->lfeon, ac3->bitRateCode};
      info->Channels = Ac3ChannelCount(ac3->acmod, ac3->lfeon);
      info->SampleRate = Ac3SampleRate(ac3->fscod);
    }
  }
  if (!info->Skipped) info->EsConfiguration = track.GetESConfiguration();
  if (info->IsH264) {
    info->SequenceParameterSets = Concatenated(track.GetH264SequenceParameterSets());
    info->PictureParameterSets = Concatenated(track.GetH264PictureParameterSets());
  }
  return info;
}

}  // namespace korvel
