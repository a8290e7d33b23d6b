#include "mediainfo/media_info.h"

#include <algorithm>
#include <cmath>

#include "base/numeric.h"

namespace korvel {

int32_t QdMediaInfo::ComparableCount() const {
  return static_cast<int32_t>(std::count_if(Streams.begin(), Streams.end(), [](const QdMediaStream& s) { return !s.Ignored; }));
}

void QdMediaInfo::Reset() {
  FileName.clear();
  Kind = 0;
  SubKind = 0;
  IndexOK = true;
  Duration = 0;
  ReadError = 0;
  FreeStreams();
}

void QdMediaInfo::AllocStreams(int32_t n) {
  FreeStreams();
  const size_t count = n > 0 ? static_cast<size_t>(n) : 0;
  Streams.resize(count);
  Matched.assign(count, false);
}

void QdMediaInfo::FreeStreams() {
  Streams.clear();
  Matched.clear();
}

void QdMediaInfo::ClearMatched() { Matched.assign(Streams.size(), false); }

int32_t RateX1000(double rate, double scale) {
  if (scale == 0 || !std::isfinite(rate) || !std::isfinite(scale)) return 0;
  return TruncToInt32((rate / scale + 0.00049) * 1000.0);
}

}  // namespace korvel
