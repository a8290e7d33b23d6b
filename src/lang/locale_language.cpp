#include "lang/locale_language.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>

namespace korvel {
namespace {

struct LocaleLanguage {
  std::string_view locale;  // "ll" for the language's usual identifier, "ll_CC" for a territory's
  uint16_t id;
};

constexpr std::array kLocaleLanguages{
    LocaleLanguage{"af", 0x0436},    LocaleLanguage{"ar", 0x0401},    LocaleLanguage{"ar_EG", 0x0C01},
    LocaleLanguage{"be", 0x0423},    LocaleLanguage{"bg", 0x0402},    LocaleLanguage{"ca", 0x0403},
    LocaleLanguage{"cs", 0x0405},    LocaleLanguage{"da", 0x0406},    LocaleLanguage{"de", 0x0407},
    LocaleLanguage{"de_AT", 0x0C07}, LocaleLanguage{"de_CH", 0x0807}, LocaleLanguage{"el", 0x0408},
    LocaleLanguage{"en", 0x0409},    LocaleLanguage{"en_AU", 0x0C09}, LocaleLanguage{"en_CA", 0x1009},
    LocaleLanguage{"en_GB", 0x0809}, LocaleLanguage{"en_IE", 0x1809}, LocaleLanguage{"en_NZ", 0x1409},
    LocaleLanguage{"es", 0x0C0A},    LocaleLanguage{"es_MX", 0x080A}, LocaleLanguage{"et", 0x0425},
    LocaleLanguage{"eu", 0x042D},    LocaleLanguage{"fa", 0x0429},    LocaleLanguage{"fi", 0x040B},
    LocaleLanguage{"fr", 0x040C},    LocaleLanguage{"fr_BE", 0x080C}, LocaleLanguage{"fr_CA", 0x0C0C},
    LocaleLanguage{"fr_CH", 0x100C}, LocaleLanguage{"gl", 0x0456},    LocaleLanguage{"he", 0x040D},
    LocaleLanguage{"hi", 0x0439},    LocaleLanguage{"hr", 0x041A},    LocaleLanguage{"hu", 0x040E},
    LocaleLanguage{"hy", 0x042B},    LocaleLanguage{"id", 0x0421},    LocaleLanguage{"is", 0x040F},
    LocaleLanguage{"it", 0x0410},    LocaleLanguage{"it_CH", 0x0810}, LocaleLanguage{"ja", 0x0411},
    LocaleLanguage{"ka", 0x0437},    LocaleLanguage{"kk", 0x043F},    LocaleLanguage{"ko", 0x0412},
    LocaleLanguage{"lt", 0x0427},    LocaleLanguage{"lv", 0x0426},    LocaleLanguage{"mk", 0x042F},
    LocaleLanguage{"ms", 0x043E},    LocaleLanguage{"nb", 0x0414},    LocaleLanguage{"nl", 0x0413},
    LocaleLanguage{"nl_BE", 0x0813}, LocaleLanguage{"nn", 0x0814},    LocaleLanguage{"no", 0x0414},
    LocaleLanguage{"pl", 0x0415},    LocaleLanguage{"pt", 0x0816},    LocaleLanguage{"pt_BR", 0x0416},
    LocaleLanguage{"ro", 0x0418},    LocaleLanguage{"ru", 0x0419},    LocaleLanguage{"sk", 0x041B},
    LocaleLanguage{"sl", 0x0424},    LocaleLanguage{"sq", 0x041C},    LocaleLanguage{"sv", 0x041D},
    LocaleLanguage{"th", 0x041E},    LocaleLanguage{"tr", 0x041F},    LocaleLanguage{"uk", 0x0422},
    LocaleLanguage{"ur", 0x0420},    LocaleLanguage{"vi", 0x042A},    LocaleLanguage{"zh", 0x0804},
    LocaleLanguage{"zh_CN", 0x0804}, LocaleLanguage{"zh_HK", 0x0C04}, LocaleLanguage{"zh_MO", 0x1404},
    LocaleLanguage{"zh_SG", 0x1004}, LocaleLanguage{"zh_TW", 0x0404},
};

const LocaleLanguage* FindLocale(std::string_view locale) {
  const auto found = std::ranges::find(kLocaleLanguages, locale, &LocaleLanguage::locale);
  return found == kLocaleLanguages.end() ? nullptr : &*found;
}

}  // namespace

uint16_t LanguageIdFromLocale(std::string_view locale) {
  // "language[_territory][.codeset][@modifier]": the codeset and the modifier do not change
  // the language.
  locale = locale.substr(0, locale.find_first_of(".@"));
  const size_t underscore = locale.find('_');
  const std::string_view language = locale.substr(0, underscore);

  std::string key;
  for (const char c : language) key += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (underscore != std::string_view::npos) {
    key += '_';
    for (const char c : locale.substr(underscore + 1)) key += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }

  if (const LocaleLanguage* exact = FindLocale(key)) return exact->id;
  if (const LocaleLanguage* usual = FindLocale(key.substr(0, language.size()))) return usual->id;
  return kLanguageEnglishUs;
}

uint16_t UserDefaultLanguageId() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return LanguageIdFromLocale(value);
  }
  return kLanguageEnglishUs;
}

}  // namespace korvel
