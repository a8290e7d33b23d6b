#include "produce/key_frame_listing.h"

#include "avi/avi_key_frames.h"
#include "ffmpeg/ffm_remuxer.h"
#include "mp4/mp4_key_frames.h"
#include "produce/work_root.h"
#include "wmv/wmv_key_frames.h"

namespace korvel {

std::optional<TKeyFrameList> ListKeyFrames(const std::filesystem::path& file, uint8_t kind, uint8_t subKind,
                                           const TStopFlag* stop) {
  switch (TWorkLossless::EngineFor(kind, subKind)) {
    case TEngine::AviLossless:
      return ListAviKeyFrames(file, stop);
    case TEngine::WmvLossless:
      return ListWmvKeyFrames(file, stop);
    case TEngine::Mp4Lossless:
      return ListMp4KeyFrames(file, stop);
    case TEngine::FfmLossless:
      return SFFMpegFmtClass().ListKeyFrames(file, stop);
    default:
      return std::nullopt;
  }
}

}  // namespace korvel
