#include "produce/join_plan.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "mediainfo/same_format.h"
#include "produce/work_root.h"

namespace korvel {
namespace {

bool IsFile(const std::filesystem::path& name) {
  std::error_code error;
  return std::filesystem::is_regular_file(name, error);
}

}  // namespace

TJoinPlan PlanJoin(const TClipList& clips, const TMediaAnalyzer& analyze) {
  TJoinPlan plan;
  plan.Totals.assign(static_cast<size_t>(clips.Count()), 0);
  // A file that several clips come from is described once.
  std::map<std::filesystem::path, QdMediaInfo> described;
  for (int32_t i = 0; i < clips.Count(); ++i) {
    const std::filesystem::path& file = clips.Get(i)->FileName();
    if (!IsFile(file)) continue;
    auto [entry, added] = described.try_emplace(file);
    QdMediaInfo& info = entry->second;
    if (added && !(analyze(file, info) && info.Kind != 0)) {
      plan.Verdict = TJoinPlan::kUndescribed;
      plan.Problem = "cannot describe " + file.string() + ": no analyzer accepts this file";
      return plan;
    }
    plan.Totals[static_cast<size_t>(i)] = info.Duration;
    if (plan.ReferenceIndex < 0) {
      plan.ReferenceIndex = i;
      plan.Reference = info;
      continue;
    }
    QdMISameChk chk;
    if (!IsSameFormat(&plan.Reference, &info, &chk)) {
      plan.Verdict = TJoinPlan::kMismatch;
      plan.Problem = file.string() + " cannot join " + plan.Reference.FileName.string() + ": " +
                     DescribeIncompatibility(plan.Reference, info, chk);
      return plan;
    }
  }
  if (plan.ReferenceIndex < 0) {
    plan.Problem = "none of the clips' files exists";
    return plan;
  }
  plan.Verdict = TJoinPlan::kJoinable;
  // The FFmpeg engine fits each clip into its file as it measures the file itself, and takes
  // any other length as a timeline that lost or gained time: one measured by another reader
  // (a movie box's duration) or in whole milliseconds would move its cut. 0 lets it measure.
  if (TWorkLossless::EngineFor(plan.Reference.Kind, plan.Reference.SubKind) == TEngine::FfmLossless)
    std::fill(plan.Totals.begin(), plan.Totals.end(), 0);
  return plan;
}

}  // namespace korvel
