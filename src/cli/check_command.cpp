#include "cli/commands.h"
#include "cli/difference_table_text.h"
#include "cli/media_report.h"
#include "mediainfo/difference_rows.h"
#include "mediainfo/same_format.h"

namespace korvel::cli {

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
  chk.Title1 = "First file";
  chk.Title2 = "Second file";
  if (IsSameFormat(&a.info, &b.info, &chk)) {
    out << "compatible\n";
    return kExitOk;
  }
  out << "not compatible: " << DescribeIncompatibility(a.info, b.info, chk) << "\n";
  PrintDifferenceTable(FormatDifferenceRows(chk), out);
  return kExitFailed;
}

}  // namespace korvel::cli
