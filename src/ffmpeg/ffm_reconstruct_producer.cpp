#include "ffmpeg/ffm_reconstruct_producer.h"

#include <array>

#include "produce/check_clip_files.h"

namespace korvel {

void TProducerFfmReconstruct::RequestStop() {
  TProducerBase::RequestStop();
  remuxer_.Interrupt();
}

HRESULT TProducerFfmReconstruct::Run() {
  ResetProgress();
  StatusInitializing();
  StatusAnsi("");
  // Refused before anything is written: the output would destroy what is to be repaired.
  const std::array<TClipJob, 1> source{TClipJob{SourceName, 0, 0, 0, 0}};
  if (!CheckClipFiles(*this, source) || !CheckDestination(*this, DestName, SourceName, {})) return FinishRun(E_FAIL);
  SFFMpegFmtClass& remuxer = remuxer_.Create();
  HRESULT result = Produce(remuxer);
  if (!remuxer.Finish() && Succeeded(result)) result = E_FAIL;
  remuxer_.Destroy();
  return FinishRun(result);
}

HRESULT TProducerFfmReconstruct::Produce(SFFMpegFmtClass& remuxer) {
  remuxer.OnStatus = [this](const std::string& text) { StatusOut(text); };
  remuxer.OnProgress = [this](int32_t perMille) { RaiseProgress(perMille); };
  StatusAnsi("Writing ...");
  const bool copied = remuxer.RunClip(SourceName, DestName, true, nullptr);
  OutputCreated = remuxer.OutputOpened();
  if (!copied) return E_FAIL;
  RaiseProgress(1000);
  return S_OK;
}

}  // namespace korvel
