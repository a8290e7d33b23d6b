#pragma once
// Which installed language file suits the user's language when none has been chosen yet.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvel {

// English: the language every program ships, and the one a missing word is taken from.
inline constexpr std::string_view kFallbackLanguageFile = "g0409_eng.ini";

// The first of fileNames named for languageId ("g" and its four hex digits); for a Chinese
// locale without one, the first named for a related Chinese variant; else the first named for
// the same primary language (so any English picks "g0409_eng.ini"); else kFallbackLanguageFile,
// present or not. The digits are matched on the lower-cased names.
std::string ChooseDefaultLanguageFile(std::span<const std::string> fileNames, uint16_t languageId);

}  // namespace korvel
