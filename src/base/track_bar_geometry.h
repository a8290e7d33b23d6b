#pragma once
// Where a seek bar's selection and ticks fall inside its channel, in pixels.
#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

struct ChannelSpan {
  // Left edge included, right edge excluded.
  int32_t Left = 0;
  int32_t Right = 0;
  friend bool operator==(const ChannelSpan&, const ChannelSpan&) = default;
};

struct TrackBarChannel {
  int32_t Left = 0;
  int32_t Width = 0;
  // Inset at both ends where the value range begins and ends.
  int32_t TickOffset = 0;
  int32_t Minimum = 0;
  int32_t Maximum = 0;
};

// The selection's columns: each end at TickOffset + (value − minimum) × (width − 2 × TickOffset) /
// (maximum − minimum, at least 1), truncated, the end one column wider; a selection from the
// minimum starts at the channel's left edge and one to the maximum ends at its right edge.
ChannelSpan SelectionSpan(const TrackBarChannel& channel, int32_t selStart, int32_t selEnd);

// The columns of marks at the given values (key frames), each where a selection starting at
// that value would start: ascending, each column once however many values share it, values
// outside the range left out.
std::vector<int32_t> MarkColumns(const TrackBarChannel& channel, std::span<const int32_t> values);

// The columns of count evenly spaced ticks: left + truncate(i × width / (count + 1)), i = 1..count.
std::vector<int32_t> TickColumns(int32_t channelLeft, int32_t channelWidth, int32_t count);

}  // namespace korvel
