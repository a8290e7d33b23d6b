#pragma once
// The "Reconstruct AVI" tool: the source's index is rebuilt by scanning its movie data, then
// every stream is copied whole into a new file whose index is complete.
#include "avi/avi_producer_root.h"
#include "base/hresult.h"

namespace korvel {

class TProducerAviReindex final : public TProducerAviRoot {
public:
  HRESULT Run() override;

private:
  HRESULT Produce();
  HRESULT Copy();
};

}  // namespace korvel
