#pragma once
#include <filesystem>

#include "mediainfo/media_info.h"

namespace korvel {

// Describes the file into info: resets it, stores the name, detects the container and runs
// the analyzer of its family. Callers treat the file as usable when this returns true and
// info.Kind is not 0.
bool AnalyzeMediaFile(const std::filesystem::path& fileName, QdMediaInfo& info);

}  // namespace korvel
