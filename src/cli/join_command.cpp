#include <memory>

#include "cli/clip_argument.h"
#include "cli/commands.h"
#include "cli/media_report.h"
#include "cli/production_run.h"
#include "project/clip_list.h"

namespace korvel::cli {

int RunJoin(const std::filesystem::path& output, const std::vector<std::string>& clipTexts,
            const ProductionStreams& io) {
  std::vector<ClipArgument> clips;
  for (const std::string& text : clipTexts) {
    const auto clip = ParseClipArgument(text);
    if (!clip) {
      io.err << "korvel-cli: not a clip: " << text << " (FILE or FILE@START-END with START before END)\n";
      return kExitUnreadable;
    }
    clips.push_back(*clip);
  }

  // Every clip must join the first one's streams; refuse before anything is written.
  std::vector<MediaReport> reports;
  for (const ClipArgument& clip : clips) {
    reports.push_back(MakeMediaReport(clip.file));
    const MediaReport& report = reports.back();
    if (!report.readError.empty()) {
      io.err << "korvel-cli: " << UnanalysedReason(report) << "\n";
      return kExitUnreadable;
    }
    if (!report.analysed) {
      io.err << "korvel-cli: " << UnanalysedReason(report) << "\n";
      return kExitFailed;
    }
    QdMISameChk chk;
    if (!IsSameFormat(&reports.front().info, &reports.back().info, &chk)) {
      io.err << "korvel-cli: " << clip.file.string() << " cannot join " << clips.front().file.string() << ": "
             << DescribeIncompatibility(reports.front().info, report.info, chk) << "\n";
      return kExitFailed;
    }
  }

  TClipList list;
  list.Analyzer = nullptr;  // every file is described above already
  for (const ClipArgument& clip : clips) {
    auto item = std::make_unique<TClipItem>();
    item->SetFileName(clip.file);
    item->SetTotalTime(kToTheEnd);
    item->SetStartTime(clip.startMs);
    item->SetEndTime(clip.endMs);
    list.Add(std::move(item));
  }

  TPumpedMainThread mainThread;
  TWorkLossless job(mainThread);
  job.ClipList = &list;
  job.Kind = reports.front().info.Kind;
  job.SubKind = reports.front().info.SubKind;
  job.DestName = output;
  return RunJobToEnd(job, mainThread, {io.out, io.err, io.showProgress});
}

}  // namespace korvel::cli
