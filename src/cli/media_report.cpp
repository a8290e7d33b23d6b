#include "cli/media_report.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "mediainfo/analyze_media_file.h"

namespace korvel::cli {

std::string ReadError(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return regular ? "" : "not a regular file";
}

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

}  // namespace korvel::cli
