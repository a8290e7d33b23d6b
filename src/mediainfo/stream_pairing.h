#pragma once
// The shared frame of the per-family join checks: pairing with relaxing criteria, then strict
// checks on each pair.
#include <span>

#include "mediainfo/same_format.h"
#include "mediainfo/strict_checks.h"

namespace korvel {

// A pairing criterion applies from the strictest level 0 up to and including upToLevel.
struct PairingCriterion {
  StreamTest same;
  int upToLevel;
};

// Searches level by level from 0 to lastLevel for the first unmatched stream of b that meets
// every criterion still in force; marks it matched.
const QdMediaStream* FindPartner(const QdMediaStream& p, QdMediaInfo& b, std::span<const PairingCriterion> criteria,
                                 int lastLevel);

struct FamilyRules {
  const QdMediaStream* (*findPartner)(const QdMediaStream& p, QdMediaInfo& b);
  std::span<const StrictCheck> strictChecks;
  bool skipIgnored;  // ignored streams of a take no part
};

bool CompareStreams(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk, const FamilyRules& rules);

}  // namespace korvel
