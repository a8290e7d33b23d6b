#pragma once
// What a join needs to know before it starts, the same for every way of starting one: that
// every clip's file takes the first one's streams, and how long each clip's file lasts.
#include <cstdint>
#include <string>
#include <vector>

#include "mediainfo/media_info.h"
#include "project/clip_list.h"

namespace korvel {

struct TJoinPlan {
  enum TVerdict {
    kJoinable,
    kNoSource,     // no clip's file exists
    kUndescribed,  // a clip's file exists but no analyzer describes it
    kMismatch,     // a clip's file does not take the first one's streams
  };
  TVerdict Verdict = kNoSource;
  // Why the clips cannot be joined, naming the file: an English phrase in the command line's
  // style ("cannot describe FILE: ...").
  std::string Problem;
  // The first clip whose file exists, in list order; -1 when there is none.
  int32_t ReferenceIndex = -1;
  // Its file's description; the engine follows its kind and sub-kind.
  QdMediaInfo Reference;
  // One per clip: its file's length in milliseconds from the analysis, 0 when unknown or
  // when the file is missing (the run reports missing files itself). 0 for every clip the
  // FFmpeg engine joins: it measures each file itself, and only that measurement leaves its
  // cut where the clip says.
  std::vector<int32_t> Totals;

  bool Joinable() const { return Verdict == kJoinable; }
};

// Describes every existing clip file once and compares it with the first one's. Stops at the
// first file that cannot be described or does not match.
TJoinPlan PlanJoin(const TClipList& clips, const TMediaAnalyzer& analyze = AnalyzeMediaFile);

}  // namespace korvel
