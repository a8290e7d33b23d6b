#include "lang/default_language.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace korvel {
namespace {

constexpr uint16_t kPrimaryChinese = 0x0004;

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*x", digits, value);
  return text;
}

std::optional<std::string> FirstNamedFor(std::span<const std::string> fileNames, uint16_t languageId) {
  const std::string digits = Hex(languageId, 4);
  const auto found = std::ranges::find_if(fileNames, [&](const std::string& name) { return name.size() >= 5 && Lower(name).compare(1, 4, digits) == 0; });
  if (found == fileNames.end()) return std::nullopt;
  return *found;
}

// The Chinese files a Chinese locale takes, in order, when none carries its own number: the
// regional locales try Taiwan's file before the generic traditional one.
std::vector<uint16_t> ChineseAlternates(uint16_t languageId) {
  switch (languageId) {
    case 0x0004: return {0x0804};
    case 0x0404: return {0x7C04};
    case 0x0804: return {0x0004};
    case 0x0C04:
    case 0x1004:
    case 0x1404: return {0x0404, 0x7C04};
    case 0x7C04: return {0x0404};
    default: return {};
  }
}

}  // namespace

std::string ChooseDefaultLanguageFile(std::span<const std::string> fileNames, uint16_t languageId) {
  if (auto exact = FirstNamedFor(fileNames, languageId)) return *exact;

  const uint16_t primary = languageId & 0x3FF;
  if (primary == kPrimaryChinese) {
    for (const uint16_t alternate : ChineseAlternates(languageId))
      if (auto found = FirstNamedFor(fileNames, alternate)) return *found;
  }

  // The primary language's two digits are the last two of the four; a name where they turn up
  // earlier belongs to another language.
  const std::string primaryDigits = Hex(primary, 2);
  const auto samePrimary = std::ranges::find_if(fileNames, [&](const std::string& name) { return Lower(name).find(primaryDigits) == 3; });
  if (samePrimary != fileNames.end()) return *samePrimary;

  return std::string(kFallbackLanguageFile);
}

}  // namespace korvel
