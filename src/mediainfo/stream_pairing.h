#pragma once
// The shared frame of the per-family join checks: pairing with relaxing criteria, then strict
// checks on each pair.
#include <span>

#include "mediainfo/same_format.h"

namespace korvel {

using StreamTest = bool (*)(const QdMediaStream& p, const QdMediaStream& q);

// A pairing criterion applies from the strictest level 0 up to and including upToLevel.
struct PairingCriterion {
  StreamTest same;
  int upToLevel;
};

template <auto Field>
bool SameField(const QdMediaStream& p, const QdMediaStream& q) {
  return p.*Field == q.*Field;
}

// Searches level by level from 0 to lastLevel for the first unmatched stream of b that meets
// every criterion still in force; marks it matched.
const QdMediaStream* FindPartner(const QdMediaStream& p, QdMediaInfo& b, std::span<const PairingCriterion> criteria,
                                 int lastLevel);

struct FamilyRules {
  const QdMediaStream* (*findPartner)(const QdMediaStream& p, QdMediaInfo& b);
  StreamTest strictlySame;
  bool skipIgnored;  // ignored streams of a take no part
};

bool CompareStreams(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk, const FamilyRules& rules);

}  // namespace korvel
