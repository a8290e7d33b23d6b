#pragma once
// The clip panel's zoom: the ruler scales it steps through, the width the tile row needs at a
// scale, the scale that fits a list into a view, and the width of the strip that scrolls.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace korvel {

// Seconds per major ruler interval, finest first.
inline constexpr std::array<int32_t, 24> kZoomSteps{1,   2,   3,   5,    7,    10,   20,   30,
                                                    40,  50,  60,  120,  180,  240,  300,  420,
                                                    600, 1200, 1800, 2400, 3000, 3600, 7200, 10800};

// Zooming in stops before the row grows wider than this, and a row found wider is zoomed out.
inline constexpr int32_t kMaxZoomedRowWidth = 32767;
// Free room right of the row, where a tile can be dropped to go last.
inline constexpr int32_t kStripSlack = 100;
// The widest a widget can be.
inline constexpr int32_t kMaxStripWidth = 16777215;

// Pixels the row needs at a scale: the larger of the total time's position and the right edge
// of the last packed tile. Minimum-width tiles make the packed row the wider one when a list
// holds many short clips.
int32_t RowWidth(int32_t secondsPerMajor, std::span<const int32_t> durationsMs);

// The next finer step, or none at the finest step or when the row would pass
// kMaxZoomedRowWidth there.
std::optional<int32_t> ZoomInStep(int32_t secondsPerMajor, std::span<const int32_t> durationsMs);
// The next coarser step, or none at the coarsest.
std::optional<int32_t> ZoomOutStep(int32_t secondsPerMajor);

// The width a fitted row should take in a view: a short list leaves room to add clips.
int32_t FitTargetWidth(int32_t clipCount, int32_t clientWidth, int32_t outerWidth);
// The finest step at which the row fits targetWidth; the coarsest step when none does.
int32_t FitStep(std::span<const int32_t> durationsMs, int32_t targetWidth);

// The scale zoomed out, step by step, until the row is at most kMaxZoomedRowWidth wide or no
// coarser step is left.
int32_t StepWithinWidthLimit(int32_t secondsPerMajor, std::span<const int32_t> durationsMs);

// The width of the strip that scrolls: the row or the view, whichever is wider, and the slack;
// never more than a widget can be.
int32_t StripWidth(int32_t rowWidth, int32_t clientWidth);

}  // namespace korvel
