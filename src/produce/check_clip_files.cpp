#include "produce/check_clip_files.h"

#include <string>
#include <system_error>

#include "lang/lang.h"
#include "produce/producer_base.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// An error on the way (no permission, a broken link) counts as missing: the file cannot be
// read either way.
bool FileExists(const fs::path& name) {
  std::error_code error;
  return fs::is_regular_file(name, error);
}

fs::path Normalised(const fs::path& name) {
  std::error_code error;
  const fs::path absolute = fs::absolute(name, error);
  if (error) return name.lexically_normal();
  fs::path canonical = fs::weakly_canonical(absolute, error);
  return error ? absolute.lexically_normal() : canonical;
}

void ReportFailure(TProducerBase& producer, const std::string& tail) {
  producer.StatusIndented("", 1);
  producer.StatusIndented(LangStr("Base", "Failure") + tail, 1);
}

}  // namespace

bool CheckClipFiles(TProducerBase& producer, std::span<const TClipJob> jobs) {
  bool allExist = true;
  for (size_t i = 0; i < jobs.size(); ++i) {
    if (FileExists(jobs[i].FileName)) continue;
    ReportFailure(producer, ". " + LangStr("Korvel1", "FileNotExist") + " - " + std::to_string(i + 1) + " : " +
                                jobs[i].FileName.filename().string());
    allExist = false;
  }
  return allExist;
}

bool IsSameFile(const fs::path& a, const fs::path& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  return Normalised(a) == Normalised(b);
}

bool CheckDestination(TProducerBase& producer, const fs::path& destination, const fs::path& source,
                      std::span<const TClipJob> jobs) {
  bool isSource = IsSameFile(destination, source);
  for (const TClipJob& job : jobs) isSource = isSource || IsSameFile(destination, job.FileName);
  if (isSource)
    ReportFailure(producer, " : The destination is one of the source files : " + destination.filename().string());
  return !isSource;
}

}  // namespace korvel
