#include "lang/default_language.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvel {
namespace {

struct ChoiceCase {
  std::vector<std::string> files;
  uint16_t languageId;
  const char* chosen;
};

class LangDefaultFileTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(LangDefaultFileTest, ChoosesTheFileForTheLocale) {
  EXPECT_EQ(ChooseDefaultLanguageFile(GetParam().files, GetParam().languageId), GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Lang, LangDefaultFileTest,
    testing::Values(
        // The locale's own number.
        ChoiceCase{{"g0407_deu.ini", "g0409_eng.ini", "g0411_jpn.ini"}, 0x0411, "g0411_jpn.ini"},
        ChoiceCase{{"g0409_eng.ini", "g0C0A_spa.ini"}, 0x0C0A, "g0C0A_spa.ini"},  // digits compared lower-cased
        // Chinese stand-ins.
        ChoiceCase{{"g0409_eng.ini", "g7c04_cht.ini"}, 0x0404, "g7c04_cht.ini"},
        ChoiceCase{{"g0404_cht.ini", "g7c04_cht.ini"}, 0x0404, "g0404_cht.ini"},
        ChoiceCase{{"g0804_chs.ini", "g7c04_cht.ini"}, 0x0404, "g7c04_cht.ini"},  // before any primary match
        ChoiceCase{{"g0404_cht.ini", "g7c04_cht.ini"}, 0x0C04, "g0404_cht.ini"},
        ChoiceCase{{"g7c04_cht.ini"}, 0x1404, "g7c04_cht.ini"},
        ChoiceCase{{"g0004_chs.ini"}, 0x0804, "g0004_chs.ini"},
        ChoiceCase{{"g0804_chs.ini"}, 0x0004, "g0804_chs.ini"},
        ChoiceCase{{"g0404_cht.ini"}, 0x7C04, "g0404_cht.ini"},
        ChoiceCase{{"g0409_eng.ini", "g0804_chs.ini"}, 0x1004, "g0804_chs.ini"},  // then the primary language
        // The same primary language.
        ChoiceCase{{"g0407_deu.ini", "g0409_eng.ini"}, 0x0809, "g0409_eng.ini"},
        ChoiceCase{{"g0407_deu.ini", "g0409_eng.ini"}, 0x0C07, "g0407_deu.ini"},
        ChoiceCase{{"g0904_xyz.ini", "g0409_eng.ini"}, 0x0C09, "g0409_eng.ini"},  // "09" first seen too early
        // Nothing fits: English, present or not.
        ChoiceCase{{"g0407_deu.ini"}, 0x0411, "g0409_eng.ini"},
        ChoiceCase{{}, 0x0411, "g0409_eng.ini"},
        ChoiceCase{{"g", "g04"}, 0x0409, "g0409_eng.ini"}));

}  // namespace
}  // namespace korvel
