#pragma once
// Whether an MPEG program stream's timestamps jump back, so that it should be repaired
// before its clips are joined.
#include <filesystem>

namespace korvel {

// Samples the file at intervals: true when two probe packets in a row lie more than a second
// before the latest time seen, or ten in a row carry no time at all. Only program streams with
// standard-definition MPEG video are examined; anything else answers false.
bool NeedsReconstruct(const std::filesystem::path& file);

}  // namespace korvel
