#include "project/clip_zoom.h"

#include <algorithm>
#include <numeric>

#include "project/tile_scale.h"

namespace korvel {

int32_t RowWidth(int32_t secondsPerMajor, std::span<const int32_t> durationsMs) {
  const int64_t totalMs = std::accumulate(durationsMs.begin(), durationsMs.end(), int64_t{0});
  const int64_t timeEdge = GetPosXFromTimeMS(secondsPerMajor, totalMs);
  const std::vector<TileSpan> tiles = LayoutTiles(secondsPerMajor, durationsMs);
  const int64_t packedEdge = tiles.empty() ? 0 : int64_t{tiles.back().Left} + tiles.back().Width;
  return static_cast<int32_t>(std::min<int64_t>(std::max(timeEdge, packedEdge), INT32_MAX));
}

std::optional<int32_t> ZoomInStep(int32_t secondsPerMajor, std::span<const int32_t> durationsMs) {
  for (size_t n = kZoomSteps.size() - 1; n >= 1; --n) {
    if (secondsPerMajor < kZoomSteps[n]) continue;
    const int32_t candidate = kZoomSteps[n - 1];
    if (RowWidth(candidate, durationsMs) > kMaxZoomedRowWidth) return std::nullopt;
    return candidate;
  }
  return std::nullopt;
}

std::optional<int32_t> ZoomOutStep(int32_t secondsPerMajor) {
  for (size_t i = 0; i + 1 < kZoomSteps.size(); ++i)
    if (kZoomSteps[i] >= secondsPerMajor) return kZoomSteps[i + 1];
  return std::nullopt;
}

int32_t FitTargetWidth(int32_t clipCount, int32_t clientWidth, int32_t outerWidth) {
  // One clip takes 3/4 of the view, two 4/5, three 5/6, four 6/7: room is left to add more.
  if (clipCount >= 1 && clipCount <= 4) return clientWidth / (clipCount + 3) * (clipCount + 2);
  return outerWidth - kStripSlack;
}

int32_t FitStep(std::span<const int32_t> durationsMs, int32_t targetWidth) {
  for (size_t i = kZoomSteps.size(); i-- > 0;) {
    if (RowWidth(kZoomSteps[i], durationsMs) <= targetWidth) continue;
    return kZoomSteps[std::min(i + 1, kZoomSteps.size() - 1)];
  }
  return kZoomSteps.front();
}

int32_t StepWithinWidthLimit(int32_t secondsPerMajor, std::span<const int32_t> durationsMs) {
  while (RowWidth(secondsPerMajor, durationsMs) > kMaxZoomedRowWidth) {
    const std::optional<int32_t> coarser = ZoomOutStep(secondsPerMajor);
    if (!coarser) break;
    secondsPerMajor = *coarser;
  }
  return secondsPerMajor;
}

int32_t StripWidth(int32_t rowWidth, int32_t clientWidth) {
  const int64_t width = int64_t{std::max(rowWidth, clientWidth)} + kStripSlack;
  return static_cast<int32_t>(std::clamp<int64_t>(width, 0, kMaxStripWidth));
}

}  // namespace korvel
