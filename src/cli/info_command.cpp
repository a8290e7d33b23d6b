#include <algorithm>

#include "cli/commands.h"
#include "cli/media_report.h"
#include "cli/media_report_json.h"
#include "cli/media_report_text.h"

namespace korvel::cli {

int RunInfo(const std::vector<std::filesystem::path>& files, bool json, std::ostream& out, std::ostream& err) {
  int exitCode = kExitOk;
  nlohmann::ordered_json reports = nlohmann::ordered_json::array();
  for (const auto& file : files) {
    const MediaReport report = MakeMediaReport(file);
    if (!report.readError.empty()) {
      exitCode = kExitUnreadable;
    } else if (!report.analysed) {
      exitCode = std::max(exitCode, kExitFailed);
    }
    if (!report.analysed) err << "korvel-cli: " << UnanalysedReason(report) << "\n";
    if (json) {
      reports.push_back(MediaReportToJson(report));
    } else {
      PrintMediaReport(report, out);
    }
  }
  // Names and texts come from files and file systems, neither of which promises UTF-8: a byte
  // that is none becomes U+FFFD rather than ending the program.
  if (json) out << reports.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
  return exitCode;
}

}  // namespace korvel::cli
