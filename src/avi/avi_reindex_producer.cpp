#include "avi/avi_reindex_producer.h"

#include <span>

#include "lang/lang.h"
#include "produce/check_clip_files.h"

namespace korvel {

HRESULT TProducerAviReindex::Run() {
  Progress(0);
  if (SourceName.empty() || DestName.empty()) {
    StatusFailure(" : None Input or Output file.");
    return E_INVALIDARG;
  }
  return FinishRun(Produce());
}

HRESULT TProducerAviReindex::Produce() {
  StatusInitializing();
  StatusAnsi("");
  // Refused before the source is even scanned: writing would destroy what is to be repaired.
  if (!CheckDestination(*this, DestName, SourceName, std::span<const TClipJob>{})) return E_FAIL;
  clipStartMs_ = 0;
  clipEndMs_ = 0;
  HRESULT result = OpenSource(SourceName);
  if (Succeeded(result)) result = CreateOutput();
  if (Succeeded(result)) {
    StatusAnsi("");
    StatusAnsi("Writing ...");
    result = Copy();
  }
  CloseSource();
  return CloseOutput(result);
}

HRESULT TProducerAviReindex::Copy() {
  ResetProgress();
  HRESULT result = PrepareStreams();
  if (Failed(result)) return result;
  // From here on the output holds copied data: a later failure keeps the finalized file.
  OutputCreated = false;
  result = InterleaveStreams();
  if (Succeeded(result)) RaiseProgress(1000);
  return result;
}

}  // namespace korvel
