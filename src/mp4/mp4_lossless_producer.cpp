#include "mp4/mp4_lossless_producer.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "base/numeric.h"
#include "base/time_text.h"
#include "lang/lang.h"
#include "mediainfo/mp4_media_info.h"
#include "mediainfo/same_format.h"
#include "mp4/mp4_key_frames.h"

namespace korvel {
namespace {

constexpr uint32_t kMicroseconds = 1000000;
constexpr uint32_t kOutputTimeScale = 90000;
// Differences up to this many microseconds are rounding, not drift.
constexpr uint64_t kDriftTolerance = 3000;
// A start moved back further than this is worth telling the user.
constexpr int32_t kAdjustedStartNotice = 3000;
// H.264 reorders at most 16 pictures; twice that leaves room for any real stream.
constexpr uint32_t kReorderDepth = 32;

// The sample playing at endMs in decode time; one that begins exactly there belongs to whatever
// follows the clip.
iso::MP4SampleId LastSampleBefore(const iso::IsoTrack& track, uint32_t timescale, int32_t endMs) {
  const uint64_t endTicks =
      TProducerMp4Lossless::RescaleTime(static_cast<uint64_t>(std::max(endMs, 0)) * 1000, kMicroseconds, timescale);
  iso::MP4SampleId last = track.GetSampleIdFromTime(endTicks, false);
  if (last == iso::MP4_INVALID_SAMPLE_ID) last = track.GetNumberOfSamples();
  if (last > 1 && track.GetSampleTime(last) >= endTicks) --last;
  return last;
}

}  // namespace

TProducerMp4Lossless::TProducerMp4Lossless() = default;
TProducerMp4Lossless::~TProducerMp4Lossless() = default;

uint64_t TProducerMp4Lossless::RescaleTime(uint64_t value, uint32_t from, uint32_t to) {
  if (from == 0 || to == 0 || from == to) return value;
  return iso::IsoFile::ConvertDuration(value, from, to);
}

int64_t TProducerMp4Lossless::RescaleSigned(int64_t value, uint32_t from, uint32_t to) {
  const uint64_t magnitude = value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  const auto scaled = static_cast<int64_t>(
      std::min<uint64_t>(RescaleTime(magnitude, from, to), static_cast<uint64_t>(std::numeric_limits<int64_t>::max())));
  return value < 0 ? -scaled : scaled;
}

HRESULT TProducerMp4Lossless::Run() {
  if (ClipJobs.empty()) return S_OK;
  return FinishRun(ProduceClips());
}

void TProducerMp4Lossless::StatusFailure(const std::string& tail) { StatusOut(LangStr("Base", "Failure") + tail); }

HRESULT TProducerMp4Lossless::ProduceClips() {
  ResetProgress();
  StatusInitializing();
  if (!CheckFiles()) return E_FAIL;
  SumClipDurations();
  clipOffset_ = 0;
  StatusInitialized();

  HRESULT result = S_OK;
  for (size_t i = 0; i < ClipJobs.size() && Succeeded(result); ++i) {
    TClipJob& job = ClipJobs[i];
    clipStartMs_ = job.Start;
    clipEndMs_ = job.End;
    job.ActualStart = job.Start;
    SourceName = job.FileName;
    if (!reader_.OpenSource(job.FileName)) {
      StatusFailure(" : Could not open source file : " + job.FileName.filename().string());
      result = E_FAIL;
      break;
    }
    if (i == 0) {
      result = CreateOutput();
      if (Failed(result)) break;
    } else if (!MapTracks(i)) {
      StatusFailure(" : The tracks do not match the first file : " + job.FileName.filename().string());
      result = E_FAIL;
      break;
    }
    FindClipStart(job);
    FindClipEnd();

    // The heading shows the stretch that will really be copied at its end: a clip given as
    // the whole file ends where its longest track ends.
    TClipJob shown = job;
    shown.End = clipEndMs_;
    StatusClipHeading(static_cast<int32_t>(i + 1), shown);
    if (job.Start - job.ActualStart > kAdjustedStartNotice)
      StatusIndented(DurationToText(clipEndMs_ - job.ActualStart) + " (" + TimeToText(job.ActualStart) + " - " +
                         TimeToText(clipEndMs_) + ")  " + LangStr("Korvel1", "AdjustedTime"),
                     3);

    outputEnd_ = clipOffset_;
    result = CopyClipSamples();
    clipOffset_ = outputEnd_;
    DoneDuration += std::max<int64_t>(int64_t{clipEndMs_} - clipStartMs_, 0);
  }
  if (Succeeded(result) && !StopRequested()) RaiseProgress(1000);
  result = CloseOutput(result);
  reader_.CloseSource();
  return result;
}

HRESULT TProducerMp4Lossless::CreateOutput() {
  firstInfo_ = std::make_unique<SMP4FileInfo>();
  reader_.ReadFileInfo(firstInfo_.get());
  firstMedia_.Reset();
  firstMedia_.FileName = ClipJobs[0].FileName;
  if (Failed(LoadMp4Info(firstMedia_, firstInfo_.get()))) return E_FAIL;

  tracks_.clear();
  for (const auto& info : firstInfo_->Tracks) {
    if (!info || info->Skipped) continue;
    TTrackCopy track;
    track.First = info.get();
    tracks_.push_back(track);
  }
  if (tracks_.empty()) {
    StatusFailure(" : The first file has no video or audio track.");
    return E_FAIL;
  }
  // The lead track paces the copy and decides where each clip starts: video when there is
  // any, else audio, else whatever comes first.
  auto lead = std::ranges::find_if(tracks_, [](const TTrackCopy& t) { return t.First->IsVideo; });
  hasVideo_ = lead != tracks_.end();
  if (!hasVideo_) lead = std::ranges::find_if(tracks_, [](const TTrackCopy& t) { return t.First->IsAudio; });
  if (lead != tracks_.end()) std::swap(*lead, tracks_.front());

  std::string error;
  output_ = iso::IsoWriter::Create(DestName, hasVideo_, &error);
  if (!output_) {
    StatusFailure(" : Could not create output file.");
    return E_FAIL;
  }
  OutputCreated = true;
  output_->SetTimeScale(kOutputTimeScale);
  for (TTrackCopy& track : tracks_) {
    track.SourceTrackId = track.First->TrackId;
    track.SourceTimeScale = track.First->TimeScale;
    if (!AddOutputTrack(track)) return E_FAIL;
  }
  return S_OK;
}

bool TProducerMp4Lossless::AddOutputTrack(TTrackCopy& track) {
  const iso::IsoFile* source = reader_.Source();
  const iso::IsoTrack* sourceTrack = source ? source->Track(track.SourceTrackId) : nullptr;
  if (!sourceTrack || !output_) return false;
  const SMP4TrackInfo& info = *track.First;
  // Video goes to a timescale fine enough for any frame rate; a coarser one is raised.
  track.OutputTimeScale = info.IsVideo && info.TimeScale < kOutputTimeScale ? kOutputTimeScale : info.TimeScale;
  const std::vector<uint8_t> entry = sourceTrack->GetSampleDescriptionEntry();
  track.OutputTrackId = output_->AddTrackFromSampleEntry(info.TrackType, entry, track.OutputTimeScale, info.Language);
  if (track.OutputTrackId == iso::MP4_INVALID_TRACK_ID) track.OutputTrackId = AddTrackFallback(track, *sourceTrack);
  if (track.OutputTrackId == iso::MP4_INVALID_TRACK_ID) return false;
  track.OutputFixedDuration = iso::MP4_INVALID_DURATION;
  if (info.FixedSampleDuration != kMp4NoFixedSampleDuration) {
    track.OutputFixedDuration = RescaleTime(info.FixedSampleDuration, info.TimeScale, track.OutputTimeScale);
    if (!output_->SetTrackFixedSampleDuration(track.OutputTrackId, track.OutputFixedDuration)) return false;
  }
  // What follows only helps players that look for it; a box the copied entry already has is
  // kept, and a failure here costs nothing a player needs to decode.
  if (info.IsVideo) {
    output_->AddDeviceUuid(track.OutputTrackId);
    // BT.709 for high definition, BT.601 (525 lines) below.
    const bool highDefinition = info.Width >= 1280 || info.Height >= 720;
    output_->AddColr(track.OutputTrackId, highDefinition ? 1 : 6, 1, highDefinition ? 1 : 6);
    output_->AddPixelAspectRatio(track.OutputTrackId, 1, 1);
    const auto [hSpacing, vSpacing] = output_->GetPixelAspectRatio(track.OutputTrackId);
    const uint64_t displayWidth = uint64_t{info.Width} * hSpacing / vSpacing;
    output_->SetTrackVideoSize(track.OutputTrackId, static_cast<uint16_t>(std::min<uint64_t>(displayWidth, 0xFFFF)),
                               info.Height);
  } else if (info.IsAudio && info.Channels > 0) {
    output_->SetTrackAudioChannels(track.OutputTrackId, static_cast<uint16_t>(std::min<int32_t>(info.Channels, 0xFFFF)));
  }
  return true;
}

iso::MP4TrackId TProducerMp4Lossless::AddTrackFallback(const TTrackCopy& track, const iso::IsoTrack& sourceTrack) {
  const SMP4TrackInfo& info = *track.First;
  // AC-3 is fully described by its parameters, so its entry can be built anew. It carries no
  // ES configuration to copy.
  if (const auto ac3 = sourceTrack.GetAc3Specific(); info.IsAudio && ac3)
    return output_->AddAc3AudioTrack(info.TimeScale, *ac3, info.Language);
  if (!info.Supported && (info.IsVideo || info.IsAudio))
    StatusOut(std::string("Is not supported yet : ") + (info.IsVideo ? "Video - " : "Audio - ") + info.MediaDataName);
  return iso::MP4_INVALID_TRACK_ID;
}

bool TProducerMp4Lossless::MapTracks(size_t clipIndex) {
  // The later file is read into a description of its own; the first file's stays untouched
  // because the selected tracks and the output layout come from it.
  const SMP4FileInfo& current = reader_.CurrentInfo();
  QdMediaInfo media;
  media.FileName = ClipJobs[clipIndex].FileName;
  if (Failed(LoadMp4Info(media, &current))) return false;
  for (TTrackCopy& track : tracks_) {
    const auto first = std::ranges::find_if(firstMedia_.Streams, [&](const QdMediaStream& s) {
      return s.Index == static_cast<int32_t>(track.First->Index);
    });
    if (first == firstMedia_.Streams.end()) return false;
    const QdMediaStream* match = FindSameMp4Track(*first, media);
    if (!match || match->Index < 0 || static_cast<uint32_t>(match->Index) >= current.TrackCount()) return false;
    const SMP4TrackInfo* matched = current.Tracks[static_cast<size_t>(match->Index)].get();
    if (!matched) return false;
    track.SourceTrackId = matched->TrackId;
    track.SourceTimeScale = matched->TimeScale;
  }
  return true;
}

void TProducerMp4Lossless::FindClipStart(TClipJob& job) {
  const iso::IsoFile& source = *reader_.Source();
  for (TTrackCopy& track : tracks_) {
    track.CurrentSampleId = 0;
    track.LastSampleId = 0;
    track.EndTime = 0;
    track.Finished = false;
  }
  clipStart_ = 0;
  int32_t startMs = 0;
  TTrackCopy& lead = tracks_.front();
  const iso::IsoTrack& leadTrack = *source.Track(lead.SourceTrackId);
  if (clipStartMs_ > 0) {
    const uint64_t requested = static_cast<uint64_t>(clipStartMs_) * 1000;
    iso::MP4SampleId n = Mp4SampleAtTime(leadTrack, lead.SourceTimeScale, requested);
    if (n == iso::MP4_INVALID_SAMPLE_ID) {
      // The lead has no sample at the start: it contributes nothing to this clip.
      lead.Finished = true;
      clipStart_ = requested;
      startMs = clipStartMs_;
    } else {
      if (hasVideo_) n = Mp4SyncAtOrBefore(leadTrack, n);
      if (n > 1) {
        clipStart_ = RescaleTime(leadTrack.GetSampleTime(n), lead.SourceTimeScale, kMicroseconds);
        startMs = static_cast<int32_t>(clipStart_ / 1000);
      }
      lead.CurrentSampleId = n - 1;
    }
  }
  if (clipStart_ != 0) {
    // The other tracks begin with their first sample at or after the lead's start.
    for (size_t i = 1; i < tracks_.size(); ++i) {
      TTrackCopy& track = tracks_[i];
      const iso::IsoTrack& sourceTrack = *source.Track(track.SourceTrackId);
      iso::MP4SampleId c =
          sourceTrack.GetSampleIdFromTime(RescaleTime(clipStart_, kMicroseconds, track.SourceTimeScale), false);
      if (c == iso::MP4_INVALID_SAMPLE_ID) {
        track.Finished = true;
        continue;
      }
      if (RescaleTime(sourceTrack.GetSampleTime(c), track.SourceTimeScale, kMicroseconds) < clipStart_) ++c;
      track.CurrentSampleId = c > 1 ? c - 1 : 0;
    }
  }
  if (startMs != clipStartMs_) {
    job.ActualStart = startMs;
    TotalDuration += int64_t{clipStartMs_} - startMs;
    clipStartMs_ = startMs;
  }
}

TProducerMp4Lossless::TPictureRun TProducerMp4Lossless::FindPictureRun(const TTrackCopy& video) const {
  const iso::IsoTrack& track = *reader_.Source()->Track(video.SourceTrackId);
  const uint32_t count = track.GetNumberOfSamples();
  const iso::MP4SampleId first = video.CurrentSampleId + 1;
  const iso::MP4SampleId decodedAtEnd = LastSampleBefore(track, video.SourceTimeScale, clipEndMs_);
  if (video.Finished || first > count) return {decodedAtEnd, clipEndMs_};
  const auto composition = [&](iso::MP4SampleId id) {
    return static_cast<int64_t>(track.GetSampleTime(id)) + track.GetSampleRenderingOffset(id);
  };
  // Presentation starts with the first sample's composition time, as the output's edit list says.
  const int64_t end =
      static_cast<int64_t>(RescaleTime(static_cast<uint64_t>(std::max(clipEndMs_, 0)) * 1000, kMicroseconds,
                                       video.SourceTimeScale)) +
      track.GetSampleRenderingOffset(1);
  // A picture shown before the end is decoded at most a reorder depth after the last sample
  // decoded before it.
  iso::MP4SampleId decodedBefore =
      track.GetSampleIdFromTime(static_cast<uint64_t>(std::max<int64_t>(end - 1, 0)), false);
  if (decodedBefore == iso::MP4_INVALID_SAMPLE_ID) decodedBefore = count;
  TPictureRun run{first, clipEndMs_};
  for (iso::MP4SampleId id = first; id <= std::min(count, decodedBefore + kReorderDepth); ++id)
    if (composition(id) < end) run.last = id;
  int64_t shownUpTo = composition(first);
  for (iso::MP4SampleId id = first; id <= run.last; ++id) shownUpTo = std::max(shownUpTo, composition(id));
  // Then on until nothing decoded later is shown earlier, so that the next clip's first picture
  // takes the next place in presentation.
  const auto shownEarlierLater = [&] {
    for (iso::MP4SampleId id = run.last + 1; id <= std::min(count, run.last + kReorderDepth); ++id)
      if (composition(id) < shownUpTo) return true;
    return false;
  };
  while (run.last < count && shownEarlierLater()) shownUpTo = std::max(shownUpTo, composition(++run.last));
  // Only pictures decoded after the end move it; without reordering the last one is simply
  // trimmed at the end like any other track's.
  if (run.last > decodedAtEnd) {
    const uint64_t runEnd = track.GetSampleTime(run.last) + track.GetSampleDuration(run.last);
    run.endMs = TruncToInt32(static_cast<int64_t>(RescaleTime(runEnd, video.SourceTimeScale, kMicroseconds) / 1000));
  }
  return run;
}

void TProducerMp4Lossless::FindClipEnd() {
  const iso::IsoFile& source = *reader_.Source();
  // With delayed composition a picture shown before the end may be decoded after it; the end
  // moves on to where the pictures decoded are exactly the pictures shown.
  std::optional<TPictureRun> pictures;
  if (hasVideo_) {
    pictures = FindPictureRun(tracks_.front());
    if (pictures->endMs > clipEndMs_) {
      TotalDuration += int64_t{pictures->endMs} - clipEndMs_;
      clipEndMs_ = pictures->endMs;
    }
  }
  int64_t candidate = 0;
  for (TTrackCopy& track : tracks_) {
    const iso::IsoTrack& sourceTrack = *source.Track(track.SourceTrackId);
    const uint32_t count = sourceTrack.GetNumberOfSamples();
    const uint64_t trackEnd =
        count == 0 ? 0
                   : RescaleTime(sourceTrack.GetSampleTime(count) + sourceTrack.GetSampleDuration(count),
                                 track.SourceTimeScale, kMicroseconds);
    const auto trackEndMs = static_cast<int64_t>(trackEnd / 1000);
    if (int64_t{clipEndMs_} < trackEndMs) {
      const bool lead = &track == &tracks_.front();
      track.LastSampleId = lead && pictures ? pictures->last
                                            : LastSampleBefore(sourceTrack, track.SourceTimeScale, clipEndMs_);
      candidate = std::max<int64_t>(candidate, clipEndMs_);
    } else {
      track.LastSampleId = count;
      candidate = std::max(candidate, trackEndMs);
    }
  }
  if (candidate < clipEndMs_) {
    TotalDuration -= int64_t{clipEndMs_} - candidate;
    clipEndMs_ = static_cast<int32_t>(candidate);
  }
}

HRESULT TProducerMp4Lossless::CopyClipSamples() {
  const int64_t clipLength = std::max<int64_t>(int64_t{clipEndMs_} - clipStartMs_, 0);
  for (;;) {
    if (StopRequested()) return E_FAIL;
    uint64_t leadEnd = 0;
    bool advanced = false;
    for (TTrackCopy& track : tracks_) {
      if (track.Finished) continue;
      if (++track.CurrentSampleId > track.LastSampleId) {
        track.Finished = true;
        continue;
      }
      if (const HRESULT hr = CopySample(track); Failed(hr)) return hr;
      leadEnd = track.EndTime;
      advanced = true;
      break;
    }
    if (!advanced) return S_OK;
    const int64_t elapsed =
        std::clamp<int64_t>(static_cast<int64_t>(leadEnd / 1000) - static_cast<int64_t>(clipStart_ / 1000), 0,
                            clipLength);
    RaiseProgress((DoneDuration + elapsed) * 1000 / std::max<int64_t>(TotalDuration, 1));
    // Every other track is filled up to the lead's time after each lead sample.
    for (size_t i = 1; i < tracks_.size(); ++i) {
      TTrackCopy& track = tracks_[i];
      while (!track.Finished && track.EndTime < leadEnd) {
        if (++track.CurrentSampleId > track.LastSampleId) {
          track.Finished = true;
          break;
        }
        if (const HRESULT hr = CopySample(track); Failed(hr)) return hr;
      }
    }
  }
}

uint64_t TProducerMp4Lossless::MinimumDuration(const TTrackCopy& track) const {
  if (track.OutputFixedDuration != iso::MP4_INVALID_DURATION && track.OutputFixedDuration != 0)
    return track.OutputFixedDuration;
  if (track.First->IsVideo && track.First->FrameRate > 0) {
    const auto frame = static_cast<uint64_t>(track.OutputTimeScale / track.First->FrameRate);
    if (frame != 0) return frame;
  }
  return track.OutputTimeScale / 4;
}

HRESULT TProducerMp4Lossless::CopySample(TTrackCopy& track) {
  const iso::IsoTrack& sourceTrack = *reader_.Source()->Track(track.SourceTrackId);
  iso::MP4Sample& sample = track.Sample;
  std::string error;
  if (!sourceTrack.ReadSample(track.CurrentSampleId, sample, &error)) {
    StatusFailure(" : Could not read sample " + std::to_string(track.CurrentSampleId) + " of track " +
                  std::to_string(track.SourceTrackId) + " : " + error);
    return E_FAIL;
  }
  if (sample.duration == 0) {
    // Nothing to place in time; move on so that the copy still advances.
    track.EndTime += kDriftTolerance;
    return S_OK;
  }
  const uint64_t start = RescaleTime(sample.startTime, track.SourceTimeScale, kMicroseconds);
  const uint64_t length = RescaleTime(sample.duration, track.SourceTimeScale, kMicroseconds);
  track.EndTime = start + length;
  // Where the sample would end if every track ran exactly in step with the clip offset.
  const int64_t ideal = static_cast<int64_t>(start) - static_cast<int64_t>(clipStart_) +
                        static_cast<int64_t>(clipOffset_) + static_cast<int64_t>(length);

  uint64_t duration = RescaleTime(sample.duration, track.SourceTimeScale, track.OutputTimeScale);
  const int64_t renderingOffset = RescaleSigned(sample.renderingOffset, track.SourceTimeScale, track.OutputTimeScale);
  uint64_t position = track.OutputPosition + duration;
  const auto positionUs = static_cast<int64_t>(RescaleTime(position, track.OutputTimeScale, kMicroseconds));
  if (ideal > positionUs + static_cast<int64_t>(kDriftTolerance)) {
    const uint64_t gap =
        RescaleTime(static_cast<uint64_t>(ideal - positionUs), kMicroseconds, track.OutputTimeScale);
    duration += gap;
    position += gap;
  } else if (positionUs > ideal + static_cast<int64_t>(kDriftTolerance)) {
    uint64_t excess = RescaleTime(static_cast<uint64_t>(positionUs - ideal), kMicroseconds, track.OutputTimeScale);
    excess = std::min(excess, duration - 1);
    duration -= excess;
    position -= excess;
  }

  const uint64_t clipEnd = static_cast<uint64_t>(std::max(clipEndMs_, 0)) * 1000;
  if (track.CurrentSampleId == track.LastSampleId && clipEnd < track.EndTime) {
    uint64_t kept = clipEnd > start ? RescaleTime(clipEnd - start, kMicroseconds, track.OutputTimeScale) : 1;
    kept = std::max(kept, MinimumDuration(track));
    if (duration > kept) {
      position -= duration - kept;
      duration = kept;
    }
  }

  track.OutputPosition = position;
  outputEnd_ = std::max(outputEnd_, RescaleTime(position, track.OutputTimeScale, kMicroseconds));
  if (!track.AnyWritten) {
    track.AnyWritten = true;
    track.FirstRenderingOffset = renderingOffset;
  }
  if (!output_->WriteSample(track.OutputTrackId, sample.bytes, duration, renderingOffset, sample.isSyncSample,
                            &error)) {
    StatusFailure(" : Could not write output file : " + error);
    return E_FAIL;
  }
  // From the first sample on the destination holds something worth keeping, whatever happens
  // later; a run that ends before it leaves no file.
  OutputCreated = false;
  return S_OK;
}

HRESULT TProducerMp4Lossless::CloseOutput(HRESULT result) {
  if (!output_) return result;
  for (const TTrackCopy& track : tracks_) {
    // Presentation starts with the first composed frame, not at the decode time of the first
    // sample, so delayed composition does not shift video against audio.
    if (!track.First->IsVideo || !track.AnyWritten || track.FirstRenderingOffset <= 0) continue;
    const uint64_t length = RescaleTime(track.OutputPosition, track.OutputTimeScale, kOutputTimeScale);
    if (!output_->AddEditList(track.OutputTrackId, track.FirstRenderingOffset, length) && Succeeded(result)) {
      StatusFailure(" : Could not write output file.");
      result = E_FAIL;
    }
  }
  std::string error;
  if (!output_->Close(&error)) {
    StatusFailure(" : Could not close output file : " + error);
    result = E_FAIL;
    // Without its movie box the file plays nowhere: it is a half-file, not a shorter join.
    OutputCreated = true;
  }
  output_.reset();
  return result;
}

}  // namespace korvel
