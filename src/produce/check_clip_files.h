#pragma once
// The checks every run makes before it writes anything: the sources are there, and the
// destination would not overwrite one of them.
#include <filesystem>
#include <span>

#include "produce/clip_job.h"

namespace korvel {

class TProducerBase;

// True when every job's file exists. Each missing one is reported, one level deeper, as an
// empty line and "Failure. <file does not exist> - N : name" with its number counted from 1.
bool CheckClipFiles(TProducerBase& producer, std::span<const TClipJob> jobs);

// Both names reach one file: the same file system object (a hard or symbolic link included),
// or, for a name that does not exist yet, the same absolute path once normalised.
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// True when destination is neither source nor any job's file; otherwise one failure line.
bool CheckDestination(TProducerBase& producer, const std::filesystem::path& destination,
                      const std::filesystem::path& source, std::span<const TClipJob> jobs);

}  // namespace korvel
