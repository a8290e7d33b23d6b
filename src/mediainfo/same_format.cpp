#include "mediainfo/same_format.h"

#include "mediainfo/container_kind.h"
#include "mediainfo/stream_pairing.h"

namespace korvel {

const QdMediaStream* FindPartner(const QdMediaStream& p, QdMediaInfo& b, std::span<const PairingCriterion> criteria,
                                 int lastLevel) {
  if (b.Matched.size() != b.Streams.size()) b.ClearMatched();
  for (int level = 0; level <= lastLevel; ++level) {
    for (size_t i = 0; i < b.Streams.size(); ++i) {
      if (b.Matched[i]) continue;
      const QdMediaStream& q = b.Streams[i];
      bool meetsAll = true;
      for (const PairingCriterion& c : criteria) {
        if (level <= c.upToLevel && !c.same(p, q)) {
          meetsAll = false;
          break;
        }
      }
      if (meetsAll) {
        b.Matched[i] = true;
        return &q;
      }
    }
  }
  return nullptr;
}

bool CompareStreams(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk, const FamilyRules& rules) {
  if (a.ComparableCount() != b.ComparableCount()) return false;
  b.ClearMatched();
  for (const QdMediaStream& p : a.Streams) {
    if (rules.skipIgnored && p.Ignored) continue;
    chk.Stream1 = &p;
    const QdMediaStream* q = rules.findPartner(p, b);
    if (!q) return false;
    chk.Stream2 = q;
    if (FirstFailedCheck(rules.strictChecks, p, *q)) return false;
  }
  return true;
}

bool IsSameFormat(const QdMediaInfo* a, QdMediaInfo* b, QdMISameChk* chk) {
  if (!a || !b || !chk) return false;
  chk->Info1 = a;
  chk->Info2 = b;
  if (a == b) return true;
  if (!IsSameKindFamily(*a, *b)) return false;
  switch (a->Kind) {
    case kKindAvi: return IsSameAviFormat(*a, *b, *chk);
    case kKindAsf: return IsSameWmvFormat(*a, *b, *chk);
    case kKindMp4Family: return IsSameMp4Format(*a, *b, *chk);
    default: return IsSameFfmFormat(*a, *b, *chk);
  }
}

std::string DescribeIncompatibility(const QdMediaInfo& a, const QdMediaInfo& b, const QdMISameChk& chk) {
  if (!IsSameKindFamily(a, b))
    return "the containers differ (" + KindName(a.Kind, a.SubKind) + ", " + KindName(b.Kind, b.SubKind) + ")";
  if (a.ComparableCount() != b.ComparableCount())
    return "the files have " + std::to_string(a.ComparableCount()) + " and " + std::to_string(b.ComparableCount()) +
           " comparable streams";
  const auto describe = [](const QdMediaStream* s) { return s ? "stream " + std::to_string(s->Index) : "no stream"; };
  return describe(chk.Stream1) + " of the first file does not match " + describe(chk.Stream2) + " of the second";
}

}  // namespace korvel
