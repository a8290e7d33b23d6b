#include "lang/locale_language.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace korvel {
namespace {

struct LocaleCase {
  const char* locale;
  uint16_t id;
};

class LangLocaleTest : public testing::TestWithParam<LocaleCase> {};

TEST_P(LangLocaleTest, MapsToTheWindowsLanguageIdentifier) {
  EXPECT_EQ(LanguageIdFromLocale(GetParam().locale), GetParam().id) << GetParam().locale;
}

INSTANTIATE_TEST_SUITE_P(
    Lang, LangLocaleTest,
    testing::Values(LocaleCase{"ja_JP.UTF-8", 0x0411}, LocaleCase{"en_US", 0x0409}, LocaleCase{"en_GB.UTF-8", 0x0809},
                    LocaleCase{"zh_TW", 0x0404}, LocaleCase{"zh_CN.GB18030", 0x0804}, LocaleCase{"zh_HK", 0x0C04},
                    LocaleCase{"zh_SG", 0x1004}, LocaleCase{"zh_MO", 0x1404}, LocaleCase{"zh", 0x0804},
                    LocaleCase{"de_AT@euro", 0x0C07}, LocaleCase{"de_DE.UTF-8@euro", 0x0407},
                    LocaleCase{"de_LU", 0x0407},  // a territory without its own entry speaks the usual German
                    LocaleCase{"pt_BR.utf8", 0x0416}, LocaleCase{"pt_PT", 0x0816}, LocaleCase{"es_ES", 0x0C0A},
                    LocaleCase{"fr", 0x040C}, LocaleCase{"JA_jp", 0x0411}, LocaleCase{"C", 0x0409},
                    LocaleCase{"C.UTF-8", 0x0409}, LocaleCase{"POSIX", 0x0409}, LocaleCase{"", 0x0409},
                    LocaleCase{"xx_YY", 0x0409}));

// Sets or removes one environment variable for the life of the object.
class ScopedEnv {
public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  const char* name_;
  std::optional<std::string> old_;
};

struct EnvCase {
  const char* lcAll;  // nullptr: unset
  const char* lcMessages;
  const char* lang;
  uint16_t id;
};

class LangUserLocaleTest : public testing::TestWithParam<EnvCase> {};

TEST_P(LangUserLocaleTest, FirstNonEmptyVariableDecides) {
  const EnvCase& c = GetParam();
  const ScopedEnv lcAll("LC_ALL", c.lcAll);
  const ScopedEnv lcMessages("LC_MESSAGES", c.lcMessages);
  const ScopedEnv lang("LANG", c.lang);
  EXPECT_EQ(UserDefaultLanguageId(), c.id);
}

INSTANTIATE_TEST_SUITE_P(Lang, LangUserLocaleTest,
                         testing::Values(EnvCase{"zh_TW.UTF-8", "ja_JP.UTF-8", "de_DE.UTF-8", 0x0404},
                                         EnvCase{"", "ja_JP.UTF-8", "de_DE.UTF-8", 0x0411},
                                         EnvCase{nullptr, "", "de_DE.UTF-8", 0x0407},
                                         EnvCase{nullptr, nullptr, "fr_CA", 0x0C0C},
                                         EnvCase{nullptr, nullptr, nullptr, 0x0409}));

}  // namespace
}  // namespace korvel
