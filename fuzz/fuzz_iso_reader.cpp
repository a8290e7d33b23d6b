// The ISO base media reader over arbitrary bytes: parse, describe every track, read every sample.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mp4/iso/iso_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvel::iso;
  auto file = IsoFile::ReadMemory(std::vector<uint8_t>(data, data + size));
  if (!file) return 0;
  (void)file->MajorBrand();
  (void)file->CompatibleBrands();
  (void)IsoFile::ConvertDuration(file->GetDuration(), file->GetTimeScale(), 1000);
  for (uint32_t i = 0; i < file->GetNumberOfTracks(); ++i) {
    const IsoTrack* track = file->Track(file->FindTrackId(i));
    if (!track) __builtin_trap();
    (void)track->GetType();
    (void)track->GetMediaDataName();
    (void)track->GetLanguage();
    (void)track->GetDuration();
    (void)track->GetFixedSampleDuration();
    (void)track->GetBitRate();
    (void)track->GetMaxSampleSize();
    (void)track->GetVideoWidth();
    (void)track->GetVideoHeight();
    (void)track->GetVideoFrameRate();
    (void)track->GetAudioChannels();
    (void)track->GetEsdsObjectTypeId();
    (void)track->GetAudioMpeg4Type();
    (void)track->GetAc3Specific();
    (void)track->GetESConfiguration();
    (void)track->GetH264SequenceParameterSets();
    (void)track->GetH264PictureParameterSets();
    (void)track->GetSvq3Metadata();
    (void)track->GetSampleDescriptionEntry();
    // Sample counts can be in the billions with a constant size; a few thousand show the lookups.
    const uint32_t count = track->GetNumberOfSamples();
    const uint32_t limit = count < 4096 ? count : 4096;
    MP4Sample sample;
    for (MP4SampleId id = 1; id <= limit; ++id) {
      (void)track->ReadSample(id, sample);
      (void)track->GetSampleIdFromTime(track->GetSampleTime(id), true);
    }
    (void)track->ReadSample(count, sample);
    (void)track->GetSampleIdFromTime(~MP4Timestamp{0} / 2, false);
  }
  return 0;
}
