#include "base/ini_file.h"
#include "cli/commands.h"
#include "cli/media_report.h"
#include "cli/production_run.h"
#include "mediainfo/container_kind.h"
#include "produce/destination_proposal.h"
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
  list.Analyzer = nullptr;  // the container is told from the first existing clip below
  AddProjectClips(*ini, list);
  if (list.Count() == 0) {
    io.err << "korvel-cli: the project " << project.string() << " holds no clip\n";
    return kExitFailed;
  }

  // The engine follows the first clip whose file exists; missing files are reported by the run.
  TClipItem* source = nullptr;
  for (int32_t i = 0; i < list.Count() && !source; ++i)
    if (list.Get(i)->CheckFileExists()) source = list.Get(i);
  if (!source) {
    io.err << "korvel-cli: none of the project's clip files exists\n";
    return kExitFailed;
  }
  const MediaReport report = MakeMediaReport(source->FileName());
  if (!report.analysed) {
    io.err << "korvel-cli: " << UnanalysedReason(report) << "\n";
    return kExitFailed;
  }

  TPumpedMainThread mainThread;
  TWorkLossless job(mainThread);
  job.ClipList = &list;
  job.Kind = report.info.Kind;
  job.SubKind = report.info.SubKind;
  job.DestName = output ? *output
                        : ProposeProduceDestination(source->FileName(),
                                                    KindExtension(report.info.Kind, report.info.SubKind),
                                                    DestinationRules::ForThisSystem(DefaultProjectFolder()));
  io.err << "korvel-cli: producing " << job.DestName.string() << "\n";
  return RunJobToEnd(job, mainThread, {io.out, io.err, io.showProgress});
}

}  // namespace korvel::cli
