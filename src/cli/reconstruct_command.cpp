#include "cli/commands.h"
#include "cli/media_report.h"
#include "cli/production_run.h"
#include "mediainfo/container_kind.h"
#include "produce/destination_proposal.h"
#include "project/project_file.h"

namespace korvel::cli {

int RunReconstruct(const std::filesystem::path& source, const std::optional<std::filesystem::path>& output,
                   const ProductionStreams& io) {
  const MediaReport report = MakeMediaReport(source);
  if (!report.readError.empty()) {
    io.err << "korvel-cli: " << UnanalysedReason(report) << "\n";
    return kExitUnreadable;
  }
  const QdMediaInfo& info = report.info;
  if (info.Kind == 0) {
    io.err << "korvel-cli: " << UnanalysedReason(report) << "\n";
    return kExitFailed;
  }

  TPumpedMainThread mainThread;
  TWorkToolComm job(mainThread);
  job.Tool = TWorkToolComm::ToolForKind(info.Kind);
  job.SourceName = source;
  job.DestName = output ? *output
                        : ProposeReconstructDestination(source, KindExtension(info.Kind, info.SubKind),
                                                        DestinationRules::ForThisSystem(DefaultProjectFolder()));
  if (job.DestName.empty()) {
    io.err << "korvel-cli: every proposed name beside " << source.string() << " is taken; name the output with -o\n";
    return kExitFailed;
  }
  io.err << "korvel-cli: repairing " << source.string() << " into " << job.DestName.string() << "\n";
  return RunJobToEnd(job, mainThread, {io.out, io.err, io.showProgress});
}

}  // namespace korvel::cli
