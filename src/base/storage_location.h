#pragma once
// Where a file lives, as far as writing an output beside it is concerned.
#include <filesystem>
#include <string>

namespace korvel {

// True when nothing can be written beside the file: its file system is mounted read-only
// (optical discs, write-protected media) or its folder refuses writing.
bool IsOnReadOnlyStorage(const std::filesystem::path& file);

// The label of the file system holding the file, or "" when it has none or it cannot be told.
std::string VolumeLabelOf(const std::filesystem::path& file);

}  // namespace korvel
