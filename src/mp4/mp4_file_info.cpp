#include "mp4/mp4_file_info.h"

namespace korvel {

void SMP4TrackInfo::Classify() {
  IsVideo = TrackType == kMp4TrackVideo;
  IsAudio = TrackType == kMp4TrackAudio;
  IsMpeg4Video = MediaDataName == kMp4CodecMpeg4Video;
  IsH264 = MediaDataName == kMp4CodecH264;
  IsMpeg4Audio = MediaDataName == kMp4CodecMpeg4Audio;
  IsAc3 = MediaDataName == kMp4CodecAc3;
  Supported = (IsVideo && (IsMpeg4Video || IsH264)) || (IsAudio && (IsMpeg4Audio || IsAc3));
  Skipped = !IsVideo && !IsAudio;
}

void SMP4FileInfo::SetTrackCount(uint32_t count) {
  Tracks.clear();
  Tracks.resize(count);
}

int32_t Ac3ChannelCount(uint8_t acmod, uint8_t lfeon) {
  // acmod 0 is two independent mono channels (1+1), then 1/0, 2/0, 3/0, 2/1, 3/1, 2/2, 3/2.
  static constexpr std::array<int32_t, 8> kFullBandwidth{2, 1, 2, 3, 3, 4, 4, 5};
  return kFullBandwidth[acmod & 7] + (lfeon & 1);
}

uint32_t Ac3SampleRate(uint8_t fscod) {
  static constexpr std::array<uint32_t, 4> kRates{48000, 44100, 32000, 0};
  return kRates[fscod & 3];
}

}  // namespace korvel
