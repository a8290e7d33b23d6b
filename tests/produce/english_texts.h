#pragma once
// Loads the English language file for one test, so that the words in status lines are real
// and "Failure" cannot pass for "Completed". Expected lines are still built with LangStr.
#include <gtest/gtest.h>

#include "lang/language.h"

namespace korvel::test {

class EnglishTexts : public testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(language_.LoadLanguage(0x0409)); }

private:
  TLanguage language_{KORVEL_LANGUAGE_SOURCE_DIR};
};

}  // namespace korvel::test
