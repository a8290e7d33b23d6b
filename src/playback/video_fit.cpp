#include "playback/video_fit.h"

namespace korvel {

VideoFitSize FitVideoSize(int videoWidth, int videoHeight, int areaWidth, int areaHeight) {
  if (videoWidth <= 10 || videoHeight <= 10 || areaWidth <= 0 || areaHeight <= 0) return {videoWidth, videoHeight};
  // The ratios are compared at single precision, so that a video of the area's own shape fills
  // it exactly.
  const float videoRatio = static_cast<float>(videoWidth) / static_cast<float>(videoHeight);
  const float areaRatio = static_cast<float>(areaWidth) / static_cast<float>(areaHeight);
  if (videoRatio > areaRatio) return {areaWidth, static_cast<int>(static_cast<float>(areaWidth) / videoRatio)};
  return {static_cast<int>(static_cast<float>(areaHeight) * videoRatio), areaHeight};
}

}  // namespace korvel
