#include "cli/media_report.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "mediainfo/analyze_media_file.h"
#include "mediainfo/container_kind.h"

namespace korvel::cli {
namespace {

// Why the file cannot be read, or "" when it can.
std::string ReadError(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return regular ? "" : "not a regular file";
}

}  // namespace

MediaReport MakeMediaReport(const std::filesystem::path& file) {
  MediaReport report;
  report.file = file;
  report.readError = ReadError(file);
  if (!report.readError.empty()) return report;
  report.detection = DetectContainer(file, &report.detectionSubType);
  report.analysed = AnalyzeMediaFile(file, report.info) && report.info.Kind != 0;
  return report;
}

std::string UnanalysedReason(const MediaReport& report) {
  if (!report.readError.empty()) return "cannot read " + report.file.string() + ": " + report.readError;
  return "cannot describe " + report.file.string() + ": no analyzer accepts this file";
}

std::string DescribeIncompatibility(const QdMediaInfo& a, const QdMediaInfo& b, const QdMISameChk& chk) {
  if (!IsSameKindFamily(a, b))
    return "the containers differ (" + KindName(a.Kind, a.SubKind) + ", " + KindName(b.Kind, b.SubKind) + ")";
  if (a.ComparableCount() != b.ComparableCount())
    return "the files have " + std::to_string(a.ComparableCount()) + " and " + std::to_string(b.ComparableCount()) +
           " comparable streams";
  const auto describe = [](const QdMediaStream* s) { return s ? "stream " + std::to_string(s->Index) : "no stream"; };
  return describe(chk.Stream1) + " of the first file does not match " + describe(chk.Stream2) + " of the second";
}

}  // namespace korvel::cli
