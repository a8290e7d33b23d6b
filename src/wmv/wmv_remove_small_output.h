#pragma once
// A failed run may leave an ASF output that holds hardly more than a header. Such a file is of
// no use to anyone and is removed; a larger partial output is kept, since it plays as far as it
// got.
#include <cstdint>
#include <filesystem>

namespace korvel {

inline constexpr uint64_t kSmallOutputBytes = 20480;

// Deletes file when its extension is ".asf", ".wmv", ".wma" or ".wm" (any letter case) and it is
// smaller than kSmallOutputBytes. True when it was deleted.
bool RemoveSmallOutput(const std::filesystem::path& file);

}  // namespace korvel
