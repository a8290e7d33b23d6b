#pragma once
// The lossless AVI join: each clip's streams are copied chunk by chunk from its key frame on,
// and every clip continues the output streams the first clip created, so the output plays as
// one movie without a single frame re-encoded.
#include <cstdint>
#include <string>
#include <vector>

#include "avi/avi_producer_root.h"
#include "base/hresult.h"
#include "mediainfo/media_info.h"

namespace korvel {

class TProducerAviLossless final : public TProducerAviRoot {
public:
  HRESULT Run() override;

protected:
  void ProgressTick() override;

private:
  HRESULT Produce();
  HRESULT OpenClip(TClipJob& job);
  // Moves the clip start back to the key frame at or before it and the clip end to the end of
  // the video.
  void FitClipToVideo(TClipJob& job);
  // Describes the clip's streams and puts each at the position of its partner in the first
  // clip, so that it continues the right output stream.
  HRESULT MatchStreamsToOutput(const TClipJob& job);
  void StatusClip(size_t number, const TClipJob& job);
  HRESULT CopyClip(bool firstClip);
  // Audio that ended short of the video in the output so far is made up with the start of this
  // clip's own audio, so audio and video start the clip together.
  HRESULT CatchUpAudio();
  // An H.264 clip that starts on a key frame without parameter sets gets the stream's first
  // frame (which has them) in front, and the other streams start one frame earlier to match.
  HRESULT InsertParameterSets();
  void MoveStartEarlier(TAviCopyStream& stream, int64_t ms);
  TAviCopyStream* FirstVideo();

  QdMediaInfo reference_;
  // Per output stream: its output stream, its type and how many milliseconds of it the output
  // holds.
  std::vector<TAVIOutStream*> outputs_;
  std::vector<FOURCC> outputTypes_;
  std::vector<int64_t> outputDurationMs_;
};

}  // namespace korvel
