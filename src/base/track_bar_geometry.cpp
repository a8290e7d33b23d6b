#include "base/track_bar_geometry.h"

#include <algorithm>
#include <cmath>

#include "base/numeric.h"

namespace korvel {

namespace {

double ValueColumn(const TrackBarChannel& channel, int32_t value) {
  const double range = std::max<double>(double(channel.Maximum) - channel.Minimum, 1.0);
  const double travel = double(channel.Width) - 2.0 * channel.TickOffset;
  const double origin = double(channel.Left) + channel.TickOffset;
  // Multiplied before dividing, so that a value that falls on a column lands on it exactly.
  return origin + (double(value) - channel.Minimum) * travel / range;
}

}  // namespace

ChannelSpan SelectionSpan(const TrackBarChannel& channel, int32_t selStart, int32_t selEnd) {
  const auto column = [&](int32_t value) { return ValueColumn(channel, value); };
  ChannelSpan span{TruncToInt32(column(selStart)), TruncToInt32(column(selEnd) + 1.0)};
  if (selStart <= channel.Minimum) span.Left = channel.Left;
  if (selEnd >= channel.Maximum) span.Right = TruncToInt32(double(channel.Left) + channel.Width);
  return span;
}

std::vector<int32_t> MarkColumns(const TrackBarChannel& channel, std::span<const int32_t> values) {
  std::vector<int32_t> columns;
  for (const int32_t value : values) {
    if (value < channel.Minimum || value > channel.Maximum) continue;
    columns.push_back(TruncToInt32(ValueColumn(channel, value)));
  }
  // The iterator pair rather than std::ranges::unique: clang 14, which builds the fuzz targets,
  // cannot compile the latter's result with this standard library.
  std::sort(columns.begin(), columns.end());
  columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
  return columns;
}

std::vector<int32_t> TickColumns(int32_t channelLeft, int32_t channelWidth, int32_t count) {
  std::vector<int32_t> columns;
  if (count <= 0) return columns;
  const double step = double(channelWidth) / (double(count) + 1.0);
  for (int32_t i = 1; i <= count; ++i) columns.push_back(TruncToInt32(channelLeft + std::trunc(i * step)));
  return columns;
}

}  // namespace korvel
