#pragma once
// The time ruler's drawing, as positions: where its ticks stand, how long each one is, which
// carry a label and what the label reads. Only the ticks of a range of columns are made, so a
// ruler as wide as a long project at a fine zoom costs only what is on screen.
#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

struct TRulerScale {
  int32_t TickHeight = 20;  // a major tick's length
  int32_t TickHSub1 = 12;   // how much shorter every tick between majors is
  int32_t TickHSub2 = 4;    // how much shorter again the ticks that are not every fifth are
  int32_t TickMargin = 2;   // gap between the ticks' lower end and the bottom edge
  int32_t TickInterval = 5; // pixels from tick to tick, at least 1
  int32_t TickSubTicks = 20;  // ticks per major interval, the major one included, at least 1
  int32_t TickTimeSec = 60;   // seconds per major interval, at least 1
};

struct TRulerTick {
  int32_t X = 0;
  int32_t Top = 0;     // the upper end; the lower end is height - TickMargin
  bool Major = false;  // carries a label
  int64_t Seconds = 0; // the label's time, for a major tick
  friend bool operator==(const TRulerTick&, const TRulerTick&) = default;
};

// A label reaches no further than this right of its tick.
inline constexpr int32_t kRulerLabelReach = 100;

// The ticks from the last major tick at or before fromX - kRulerLabelReach (whose label may
// reach into the range) up to the last tick before toX, for a ruler of the given height.
std::vector<TRulerTick> RulerTicks(const TRulerScale& scale, int32_t height, int32_t fromX, int32_t toX);

// "h:mm:ss"; the hours keep growing past 99.
std::string RulerLabel(int64_t seconds);

}  // namespace korvel
