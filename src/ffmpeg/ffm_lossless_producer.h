#pragma once
// Joins clips of MPEG program and transport streams, and of the MP4-family files the MP4
// engine does not take, through the FFmpeg remuxer: each clip is cut at a key frame at or
// before its start and continues the output's timeline.
#include <cstdint>

#include "base/hresult.h"
#include "ffmpeg/clip_window.h"
#include "ffmpeg/ffm_remuxer_slot.h"
#include "produce/producer_base.h"

namespace korvel {

class TProducerFfmLossless final : public TProducerBase {
public:
  HRESULT Run() override;
  void RequestStop() override;

private:
  HRESULT ProduceClips(SFFMpegFmtClass& remuxer);
  // The cut the remuxer made, told when it moved the clip or the source's duration is doubtful.
  void CheckClipResult(const TClipWindow& window);
  // The clip's heading with end as its end, once per clip.
  void ShowClipHeading(int32_t end);

  TFfmRemuxerSlot remuxer_;
  TClipJob* currentJob_ = nullptr;
  int64_t clipDuration_ = 0;
  int32_t clipNumber_ = 0;
  bool headingShown_ = false;
};

}  // namespace korvel
