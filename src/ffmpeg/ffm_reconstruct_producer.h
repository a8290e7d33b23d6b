#pragma once
// The repair tool for MPEG program and transport streams: the whole source is rewritten into
// a new file whose timestamps run on without jumps.
#include "base/hresult.h"
#include "ffmpeg/ffm_remuxer_slot.h"
#include "produce/producer_base.h"

namespace korvel {

class TProducerFfmReconstruct final : public TProducerBase {
public:
  HRESULT Run() override;
  void RequestStop() override;

private:
  HRESULT Produce(SFFMpegFmtClass& remuxer);

  TFfmRemuxerSlot remuxer_;
};

}  // namespace korvel
