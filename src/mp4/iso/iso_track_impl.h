#pragma once
// The track behind IsoTrack: its headers, its first sample description and its sample
// table, reading sample bytes from the file the IsoFile holds open.
#include <memory>
#include <string>

#include "mp4/iso/box_reader.h"
#include "mp4/iso/byte_source.h"
#include "mp4/iso/header_boxes.h"
#include "mp4/iso/iso_file.h"
#include "mp4/iso/sample_entry.h"
#include "mp4/iso/sample_table.h"

namespace korvel::iso {

class IsoTrackImpl final : public IsoTrack {
public:
  // Reads one "trak" box. `source` must outlive the track (the IsoFile owns both).
  static std::unique_ptr<IsoTrackImpl> Parse(const Box& trak, const ByteSource& source, BoxWalkState& walk,
                                             std::string* error);

  MP4TrackId GetId() const override { return header_.trackId; }
  std::string GetType() const override { return BoxTypeChars(handler_); }
  std::string GetMediaDataName() const override;
  std::string GetLanguage() const override { return media_.language; }
  uint32_t GetTimeScale() const override { return media_.timeScale; }
  MP4Duration GetDuration() const override { return media_.duration; }
  MP4Duration GetFixedSampleDuration() const override;
  uint32_t GetNumberOfSamples() const override { return table_.Count(); }
  uint32_t GetBitRate() const override;
  uint32_t GetMaxSampleSize() const override { return table_.MaxSize(); }

  uint16_t GetVideoWidth() const override;
  uint16_t GetVideoHeight() const override;
  double GetVideoFrameRate() const override;

  int32_t GetAudioChannels() const override;
  uint8_t GetEsdsObjectTypeId() const override { return entry_.esdsObjectType; }
  uint8_t GetAudioMpeg4Type() const override { return entry_.audioObjectType; }
  std::optional<Ac3SpecificBox> GetAc3Specific() const override { return entry_.ac3; }

  std::vector<uint8_t> GetESConfiguration() const override { return entry_.decoderConfig; }
  std::vector<std::vector<uint8_t>> GetH264SequenceParameterSets() const override { return entry_.sps; }
  std::vector<std::vector<uint8_t>> GetH264PictureParameterSets() const override { return entry_.pps; }
  std::vector<uint8_t> GetSvq3Metadata() const override { return entry_.svq3Metadata; }
  std::vector<uint8_t> GetSampleDescriptionEntry() const override { return entry_.raw; }

  bool ReadSample(MP4SampleId id, MP4Sample& sample, std::string* error) const override;
  MP4Timestamp GetSampleTime(MP4SampleId id) const override;
  MP4Duration GetSampleDuration(MP4SampleId id) const override;
  int64_t GetSampleRenderingOffset(MP4SampleId id) const override;
  bool GetSampleSync(MP4SampleId id) const override;
  uint32_t GetSampleSize(MP4SampleId id) const override;
  MP4SampleId GetSampleIdFromTime(MP4Timestamp time, bool wantSync) const override;

private:
  IsoTrackImpl(const ByteSource& source, TrackHeader header, MediaHeader media, BoxType handler,
               SampleEntryInfo entry, SampleTable table);
  bool Valid(MP4SampleId id) const { return id >= 1 && id <= table_.Count(); }

  const ByteSource& source_;
  TrackHeader header_;
  MediaHeader media_;
  BoxType handler_;
  SampleEntryInfo entry_;
  SampleTable table_;
};

}  // namespace korvel::iso
