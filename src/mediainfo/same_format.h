#pragma once
// Join compatibility: may clips of two files go into one output?
#include <string>

#include "mediainfo/media_info.h"

namespace korvel {

// The result and context of one comparison; the difference dialog reads it.
struct QdMISameChk {
  std::string Title1;
  std::string Title2;
  const QdMediaInfo* Info1 = nullptr;
  const QdMediaInfo* Info2 = nullptr;
  // The stream of Info1 examined last and its partner in Info2. After a failed comparison they
  // name the pair that differs; Stream2 keeps an earlier pair (or null) when no partner was found.
  const QdMediaStream* Stream1 = nullptr;
  const QdMediaStream* Stream2 = nullptr;
};

// True when every comparable stream of a has a partner in b that passes the family's strict
// checks. Writes only b's Matched flags and chk.
bool IsSameFormat(const QdMediaInfo* a, QdMediaInfo* b, QdMISameChk* chk);

// Why a and b failed the comparison, from what it left in chk: one English phrase.
std::string DescribeIncompatibility(const QdMediaInfo& a, const QdMediaInfo& b, const QdMISameChk& chk);

bool IsSameAviFormat(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk);
bool IsSameWmvFormat(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk);
bool IsSameMp4Format(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk);
bool IsSameFfmFormat(const QdMediaInfo& a, QdMediaInfo& b, QdMISameChk& chk);

// Two AVI audio streams' format blocks alike enough to join: every WAVEFORMATEX field but the
// byte rate, and the codec's own bytes after it.
bool SameAviAudioFormat(const QdMediaStream& p, const QdMediaStream& q);

// The first stream of b not yet matched that resembles p most, marked matched; null when b
// has no unmatched stream left.
const QdMediaStream* FindSameAviStream(const QdMediaStream& p, QdMediaInfo& b);
const QdMediaStream* FindSameWmvStream(const QdMediaStream& p, QdMediaInfo& b);
const QdMediaStream* FindSameMp4Track(const QdMediaStream& p, QdMediaInfo& b);
const QdMediaStream* FindSameFfmStream(const QdMediaStream& p, QdMediaInfo& b);

}  // namespace korvel
