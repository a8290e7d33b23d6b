#include "cli/commands.h"
#include "cli/media_report.h"
#include "mediainfo/container_kind.h"
#include "mediainfo/same_format.h"

namespace korvel::cli {
namespace {

std::string DescribeStream(const QdMediaStream* stream) {
  return stream ? "stream " + std::to_string(stream->Index) : "no stream";
}

// Why a comparison failed, from what it left in chk.
std::string DifferenceText(const QdMediaInfo& a, const QdMediaInfo& b, const QdMISameChk& chk) {
  if (!IsSameKindFamily(a, b))
    return "the containers differ (" + KindName(a.Kind, a.SubKind) + ", " + KindName(b.Kind, b.SubKind) + ")";
  if (a.ComparableCount() != b.ComparableCount())
    return "the files have " + std::to_string(a.ComparableCount()) + " and " + std::to_string(b.ComparableCount()) +
           " comparable streams";
  return DescribeStream(chk.Stream1) + " of the first file does not match " + DescribeStream(chk.Stream2) +
         " of the second";
}

}  // namespace

int RunCheck(const std::filesystem::path& fileA, const std::filesystem::path& fileB, std::ostream& out,
             std::ostream& err) {
  MediaReport a = MakeMediaReport(fileA);
  MediaReport b = MakeMediaReport(fileB);
  for (const MediaReport* report : {&a, &b}) {
    if (!report->analysed) {
      err << "korvel-cli: " << UnanalysedReason(*report) << "\n";
      return kExitUnreadable;
    }
  }
  QdMISameChk chk;
  if (IsSameFormat(&a.info, &b.info, &chk)) {
    out << "compatible\n";
    return kExitOk;
  }
  out << "not compatible: " << DifferenceText(a.info, b.info, chk) << "\n";
  return kExitFailed;
}

}  // namespace korvel::cli
