#include "ffmpeg/ffm_remuxer_slot.h"

namespace korvel {

SFFMpegFmtClass& TFfmRemuxerSlot::Create() {
  auto remuxer = std::make_unique<SFFMpegFmtClass>();
  std::lock_guard lock(lock_);
  remuxer_ = std::move(remuxer);
  // A stop that came before the remuxer existed still stops it.
  if (interrupted_) remuxer_->Interrupt();
  return *remuxer_;
}

void TFfmRemuxerSlot::Destroy() {
  std::unique_ptr<SFFMpegFmtClass> remuxer;
  {
    std::lock_guard lock(lock_);
    remuxer = std::move(remuxer_);
  }
}

void TFfmRemuxerSlot::Interrupt() {
  std::lock_guard lock(lock_);
  interrupted_ = true;
  if (remuxer_) remuxer_->Interrupt();
}

}  // namespace korvel
