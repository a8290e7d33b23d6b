#pragma once
// The file name extensions the browser lists and the picture each kind of file gets there.
#include <cstdint>
#include <filesystem>
#include <string>

namespace korvel {

// Every extension of the five container families, upper-cased, each ended by ";": AVI,
// Windows Media, the MP4 family, MPEG program streams, MPEG transport streams (with the
// BDAV ".M2TS" and ".MTS"). The analyzer still decides by content, not by this list.
std::string MediaFileFilter();

// The browser's picture for a file, by its extension (case does not matter): 2 AVI and MKV,
// 3 Windows Media video, 4 MPEG streams, 5 MP4, 6 RealMedia, 7 QuickTime, 8 Ogg, 9 audio,
// 1 anything else.
int32_t FileIconCategory(const std::filesystem::path& name);

}  // namespace korvel
