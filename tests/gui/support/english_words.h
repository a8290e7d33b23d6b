#pragma once
// The English words for a desktop suite, so that "Failure" cannot pass for "Completed". The
// suite defines KORVEL_LANGUAGE_SOURCE_DIR, the language files of the source tree.
#include "lang/language.h"

namespace korvel::test {

class EnglishWords {
public:
  EnglishWords() { language_.LoadLanguage(0x0409); }

private:
  TLanguage language_{KORVEL_LANGUAGE_SOURCE_DIR};
};

}  // namespace korvel::test
