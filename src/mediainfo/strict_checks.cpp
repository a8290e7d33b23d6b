#include "mediainfo/strict_checks.h"

#include <algorithm>
#include <cstdio>

#include "base/hex.h"
#include "mediainfo/container_kind.h"

namespace korvel {

const StrictCheck* FirstFailedCheck(std::span<const StrictCheck> checks, const QdMediaStream& p,
                                    const QdMediaStream& q) {
  const auto failed = std::ranges::find_if(checks, [&](const StrictCheck& c) { return c.applies(p) && !c.same(p, q); });
  return failed == checks.end() ? nullptr : &*failed;
}

std::span<const StrictCheck> StrictChecksOfKind(uint8_t kind) {
  switch (kind) {
    case kKindAvi: return AviStrictChecks();
    case kKindAsf: return WmvStrictChecks();
    case kKindMp4Family: return Mp4StrictChecks();
    default: return FfmStrictChecks();
  }
}

std::string BytesText(std::span<const uint8_t> bytes, std::span<const uint8_t> other) {
  if (bytes.size() != other.size()) return std::to_string(bytes.size()) + " bytes";
  // A few bytes are enough to tell the two apart; a whole parameter set is not readable.
  constexpr size_t kShown = 8;
  const size_t first = static_cast<size_t>(std::ranges::mismatch(bytes, other).in1 - bytes.begin());
  if (first == bytes.size()) return ToHexUpper(bytes.first(std::min(bytes.size(), kShown)));
  const std::span<const uint8_t> shown = bytes.subspan(first, std::min(bytes.size() - first, kShown));
  return "@" + std::to_string(first) + ": " + ToHexUpper(shown);
}

std::string RateText(const QdMediaStream& s, const QdMediaStream&) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", s.RateX1000 / 1000.0);
  return text;
}

}  // namespace korvel
