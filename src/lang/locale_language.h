#pragma once
// The user's language as a Windows language identifier, the number language files are named by.
#include <cstdint>
#include <string_view>

namespace korvel {

inline constexpr uint16_t kLanguageEnglishUs = 0x0409;

// The language identifier of a POSIX locale name such as "ja_JP.UTF-8" or "de_AT@euro": the
// territory's own identifier when it has one, else the language's usual one. "C", "POSIX",
// an empty name and languages the table does not know give US English.
uint16_t LanguageIdFromLocale(std::string_view locale);

// The language of the first non-empty of LC_ALL, LC_MESSAGES and LANG, the order in which the
// C library lets them decide the language of messages.
uint16_t UserDefaultLanguageId();

}  // namespace korvel
