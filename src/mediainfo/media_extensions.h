#pragma once
// The picture each kind of file gets in the browser.
#include <cstdint>
#include <filesystem>

namespace korvel {

// The browser's picture for a file, by its extension (case does not matter): 2 AVI and MKV,
// 3 Windows Media video, 4 MPEG streams, 5 MP4, 6 RealMedia, 7 QuickTime, 8 Ogg, 9 audio,
// 1 anything else.
int32_t FileIconCategory(const std::filesystem::path& name);

}  // namespace korvel
