// Language files come with the program but are edited by translators and may be replaced by
// anyone: the value syntax (comments after ";", "//" line breaks) and the word order must hold
// whatever a file says. The input is the current file; the English file stands behind it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/ini_file.h"
#include "base/text_decode.h"
#include "lang/language_texts.h"
#include "lang/value_syntax.h"

namespace {

constexpr std::string_view kEnglish =
    "[Information]\r\nWordOrder1=SVO\r\nWordOrder2=VO\r\n[Base]\r\nOpen=Open ; the verb\r\nProject=Project\r\n"
    "Completed=Completed//well\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvel;
  const std::string text = DecodeTextFile(std::span(data, size));
  const std::string value = ApplyValueSyntax(text);
  if (value.find(';') != std::string::npos) __builtin_trap();

  const LanguageTexts texts(IniFile::Parse(text), IniFile::Parse(std::string(kEnglish)));
  for (const char* key : {"Open", "Project", "Completed", "Missing"}) (void)texts.Str("Base", key);
  (void)texts.Join(texts.Str("Base", "Open"), texts.Str("Base", "Project"));
  const LanguageTexts alone(IniFile::Parse(text), std::nullopt);
  (void)alone.Str("Information", "WordOrder1");
  return 0;
}
