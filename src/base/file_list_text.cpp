#include "base/file_list_text.h"

#include <cstdio>

namespace korvel {

std::string FileSizeText(uint64_t bytes, const NumberSeparators& separators) {
  const uint64_t kilobytes = bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0);
  return FormatGrouped(static_cast<int64_t>(kilobytes), separators) + " KB";
}

std::string FileDateText(const std::tm& local) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
  return text;
}

std::string FolderInfoText(const std::string& displayPath, int64_t count) {
  std::string folder = displayPath;
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder + " (" + std::to_string(count) + ")";
}

}  // namespace korvel
