#include "base/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "base/text_decode.h"

namespace korvel {
namespace {

// Nothing for a character that is no code point (a locale may give a zero separator).
std::string Utf8Of(wchar_t ch) {
  const auto code = static_cast<char32_t>(ch);
  std::string text;
  if (code != 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) AppendUtf8(text, code);
  return text;
}

}  // namespace

NumberSeparators SeparatorsOf(const std::locale& locale) {
  // The wide facet, because a UTF-8 locale's separator may be more than one byte (a narrow
  // no-break space, say), which the narrow facet cannot hold.
  const auto& punct = std::use_facet<std::numpunct<wchar_t>>(locale);
  NumberSeparators separators;
  separators.decimal = Utf8Of(punct.decimal_point());
  if (separators.decimal.empty()) separators.decimal = ".";
  separators.thousands = Utf8Of(punct.thousands_sep());
  return separators;
}

NumberSeparators UserNumberSeparators() {
  try {
    return SeparatorsOf(std::locale(""));
  } catch (const std::runtime_error&) {
    return SeparatorsOf(std::locale::classic());
  }
}

std::string FormatFixed(double value, int decimals, const NumberSeparators& separators) {
  if (!std::isfinite(value)) value = 0;
  std::array<char, 400> digits{};  // enough for any finite double in fixed notation
  const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                          std::chars_format::fixed, decimals);
  if (error != std::errc{}) return "0";
  std::string text(digits.data(), end);
  if (const auto point = text.find('.'); point != std::string::npos) text.replace(point, 1, separators.decimal);
  return text;
}

std::string FormatGrouped(int64_t value, const NumberSeparators& separators) {
  std::array<char, 24> digits{};
  const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc{}) return "0";
  const std::string plain(digits.data(), end);
  const size_t sign = value < 0 ? 1 : 0;
  std::string text = plain.substr(0, sign);
  for (size_t i = sign; i < plain.size(); ++i) {
    if (i > sign && (plain.size() - i) % 3 == 0) text += separators.thousands;
    text += plain[i];
  }
  return text;
}

}  // namespace korvel
