#pragma once
// The texts of a folder listing: a file's size and date columns and the folder's caption.
#include <cstdint>
#include <ctime>
#include <string>

#include "base/number_text.h"

namespace korvel {

// The size in whole kilobytes, rounded, with grouped digits: "2 KB" for 1536 bytes.
std::string FileSizeText(uint64_t bytes, const NumberSeparators& separators);

// A local date as month/day/year: "03/07/2024".
std::string FileDateText(const std::tm& local);

// The shown folder and how many files it lists: "Videos/Trip (12)". A trailing separator of
// the folder is left out, unless the folder is the root itself.
std::string FolderInfoText(const std::string& displayPath, int64_t count);

}  // namespace korvel
