#pragma once
// Every word the user sees, looked up in the active language file with English as fallback.
// Safe to call from any thread. The program's TLanguage (lang/language.h) decides which file is
// active; until it has loaded one, every word is empty.
#include <string>
#include <string_view>

namespace korvel {

// The value of key in section of the current language (value syntax applied); when that is
// empty, the English fallback's value, or "---" when English lacks it too. Empty when no
// language file is open.
std::string LangStr(std::string_view section, std::string_view key);

// verb + " " + object, or object + " " + verb for a language whose verb follows its object.
std::string LangJoin(std::string_view verb, std::string_view object);

}  // namespace korvel
