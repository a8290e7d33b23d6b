#include <memory>

#include "cli/clip_argument.h"
#include "cli/commands.h"
#include "cli/media_report.h"
#include "cli/production_run.h"
#include "produce/join_plan.h"
#include "project/clip_list.h"

namespace korvel::cli {

int RunJoin(const std::filesystem::path& output, const std::vector<std::string>& clipTexts,
            const ProductionStreams& io) {
  TClipList list;
  list.Analyzer = nullptr;  // the plan below describes every file
  for (const std::string& text : clipTexts) {
    const auto clip = ParseClipArgument(text);
    if (!clip) {
      io.err << "korvel-cli: not a clip: " << text << " (FILE or FILE@START-END with START before END)\n";
      return kExitUnreadable;
    }
    if (const std::string error = ReadError(clip->file); !error.empty()) {
      io.err << "korvel-cli: cannot read " << clip->file.string() << ": " << error << "\n";
      return kExitUnreadable;
    }
    auto item = std::make_unique<TClipItem>();
    item->SetFileName(clip->file);
    item->SetStartTime(clip->startMs);
    item->SetEndTime(clip->endMs);
    list.Add(std::move(item));
  }

  // Every clip must join the first one's streams; refuse before anything is written.
  const TJoinPlan plan = PlanJoin(list);
  if (!plan.Joinable()) {
    io.err << "korvel-cli: " << plan.Problem << "\n";
    return kExitFailed;
  }

  TPumpedMainThread mainThread;
  TWorkLossless job(mainThread);
  job.ClipList = &list;
  job.Follow(plan);
  job.DestName = output;
  return RunJobToEnd(job, mainThread, {io.out, io.err, io.showProgress});
}

}  // namespace korvel::cli
