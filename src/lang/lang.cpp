#include "lang/lang.h"

#include "lang/current_language.h"

namespace korvel {

std::string LangStr(std::string_view section, std::string_view key) {
  const auto texts = CurrentLanguage();
  return texts ? texts->Str(section, key) : std::string();
}

std::string LangJoin(std::string_view verb, std::string_view object) {
  const auto texts = CurrentLanguage();
  return texts ? texts->Join(verb, object) : JoinVerbObject(verb, object, VerbObjectOrder::VO);
}

}  // namespace korvel
