#pragma once
// The language LangStr and LangJoin read, shared by the whole process. Producers read it on
// their worker threads while the main thread may switch it, so it is handed over as an
// immutable snapshot: a reader keeps the one it took, however long its lookup lasts.
#include <memory>

#include "lang/language_texts.h"

namespace korvel {

// Null when no language file is open.
std::shared_ptr<const LanguageTexts> CurrentLanguage();
void SetCurrentLanguage(std::shared_ptr<const LanguageTexts> texts);

}  // namespace korvel
