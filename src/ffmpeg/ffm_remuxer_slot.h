#pragma once
// The remuxer of one producer run, reachable from the main thread for a stop while the
// worker creates, uses and destroys it.
#include <memory>
#include <mutex>

#include "ffmpeg/ffm_remuxer.h"

namespace korvel {

class TFfmRemuxerSlot {
public:
  // Worker side: a new remuxer, owned here until Destroy.
  SFFMpegFmtClass& Create();
  void Destroy();
  // Any thread: interrupts the remuxer, now or as soon as it is created.
  void Interrupt();

private:
  std::mutex lock_;
  std::unique_ptr<SFFMpegFmtClass> remuxer_;
  bool interrupted_ = false;
};

}  // namespace korvel
