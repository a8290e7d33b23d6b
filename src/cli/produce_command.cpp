#include "base/ini_file.h"
#include "cli/commands.h"
#include "cli/production_run.h"
#include "mediainfo/container_kind.h"
#include "produce/destination_proposal.h"
#include "produce/join_plan.h"
#include "project/clip_list.h"
#include "project/project_file.h"

namespace korvel::cli {

int RunProduce(const std::filesystem::path& project, const std::optional<std::filesystem::path>& output,
               const ProductionStreams& io) {
  const std::optional<IniFile> ini = IniFile::Load(project);
  if (!ini) {
    io.err << "korvel-cli: cannot read the project " << project.string() << "\n";
    return kExitUnreadable;
  }
  TClipList list;
  list.Analyzer = nullptr;  // the plan below describes every file
  AddProjectClips(*ini, list);
  if (list.Count() == 0) {
    io.err << "korvel-cli: the project " << project.string() << " holds no clip\n";
    return kExitFailed;
  }

  // The engine follows the first clip whose file exists; missing files are reported by the run.
  const TJoinPlan plan = PlanJoin(list);
  if (!plan.Joinable()) {
    io.err << "korvel-cli: " << plan.Problem << "\n";
    return kExitFailed;
  }

  TPumpedMainThread mainThread;
  TWorkLossless job(mainThread);
  job.ClipList = &list;
  job.Follow(plan);
  job.DestName = output ? *output
                        : ProposeProduceDestination(list.Get(plan.ReferenceIndex)->FileName(),
                                                    KindExtension(plan.Reference.Kind, plan.Reference.SubKind),
                                                    DestinationRules::ForThisSystem(DefaultProjectFolder()));
  if (job.DestName.empty()) {
    io.err << "korvel-cli: every proposed name for the output is taken; name it with -o\n";
    return kExitFailed;
  }
  io.err << "korvel-cli: producing " << job.DestName.string() << "\n";
  return RunJobToEnd(job, mainThread, {io.out, io.err, io.showProgress});
}

}  // namespace korvel::cli
