#pragma once
// Joins clips of ISO MP4 files into one new MP4 file without re-encoding: every selected track
// of the first clip's file gets an output track, each clip starts at the lead track's sync
// sample at or before its selection, and the samples are copied with times continued from the
// previous clip so that all tracks stay in step across the joins.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/hresult.h"
#include "mediainfo/media_info.h"
#include "mp4/iso/iso_file.h"
#include "mp4/iso/iso_writer.h"
#include "mp4/mp4_file_info.h"
#include "mp4/mp4_source_reader.h"
#include "produce/producer_base.h"

namespace korvel {

class TProducerMp4Lossless final : public TProducerBase {
public:
  TProducerMp4Lossless();
  ~TProducerMp4Lossless() override;

  HRESULT Run() override;

  // value x to / from, rounding down, without overflow; value unchanged when either
  // timescale is 0 or both are equal. Rendering offsets keep their sign.
  static uint64_t RescaleTime(uint64_t value, uint32_t from, uint32_t to);
  static int64_t RescaleSigned(int64_t value, uint32_t from, uint32_t to);

private:
  // One selected track of the first clip's file and its copy state. The output side persists
  // over the whole run; the source side and the sample window are set again for every clip.
  struct TTrackCopy {
    const SMP4TrackInfo* First = nullptr;  // record in the first file's description
    // Source side, for the clip now open.
    uint32_t SourceTrackId = 0;
    uint32_t SourceTimeScale = 0;
    uint32_t CurrentSampleId = 0;  // last sample copied (0: none yet)
    uint32_t LastSampleId = 0;     // last sample of the clip
    uint64_t EndTime = 0;          // source microseconds: end of the last sample handled
    bool Finished = false;
    iso::MP4Sample Sample;  // reused for every sample, so the copy loop does not allocate
    // Output side.
    iso::MP4TrackId OutputTrackId = iso::MP4_INVALID_TRACK_ID;
    uint32_t OutputTimeScale = 0;
    uint64_t OutputFixedDuration = iso::MP4_INVALID_DURATION;
    uint64_t OutputPosition = 0;   // output timescale units: end of the last sample written
    bool AnyWritten = false;
    int64_t FirstRenderingOffset = 0;
  };

  HRESULT ProduceClips();
  HRESULT CreateOutput();
  bool AddOutputTrack(TTrackCopy& track);
  iso::MP4TrackId AddTrackFallback(const TTrackCopy& track, const iso::IsoTrack& sourceTrack);
  bool MapTracks(size_t clipIndex);
  void FindClipStart(TClipJob& job);
  void FindClipEnd();
  // The shortest run of the video's samples from the clip start that holds every picture shown
  // before the clip end and is shown in one piece: its last sample, and the clip end that
  // covers it (the current end when no picture decoded after the end is needed).
  struct TPictureRun {
    iso::MP4SampleId last = 0;
    int32_t endMs = 0;
  };
  TPictureRun FindPictureRun(const TTrackCopy& video) const;
  HRESULT CopyClipSamples();
  HRESULT CopySample(TTrackCopy& track);
  HRESULT CloseOutput(HRESULT result);
  uint64_t MinimumDuration(const TTrackCopy& track) const;
  void StatusFailure(const std::string& tail);

  TMp4SourceReader reader_;
  // The first clip's file: the selected tracks point into it for the whole run.
  std::unique_ptr<SMP4FileInfo> firstInfo_;
  QdMediaInfo firstMedia_;
  std::unique_ptr<iso::IsoWriter> output_;
  std::vector<TTrackCopy> tracks_;  // the lead track first
  bool hasVideo_ = false;

  int32_t clipStartMs_ = 0;
  int32_t clipEndMs_ = 0;
  uint64_t clipStart_ = 0;   // microseconds: source time of the clip's first lead sample
  uint64_t clipOffset_ = 0;  // microseconds: output time at which the clip begins
  uint64_t outputEnd_ = 0;   // microseconds: latest output end written
};

}  // namespace korvel
