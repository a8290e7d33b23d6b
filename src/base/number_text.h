#pragma once
// Numbers written the way the user's locale writes them: its decimal and thousands separators
// around plain ASCII digits.
#include <cstdint>
#include <locale>
#include <string>

namespace korvel {

// The separators as UTF-8 texts; a locale without a thousands separator has an empty one.
struct NumberSeparators {
  std::string decimal = ".";
  std::string thousands = ",";

  friend bool operator==(const NumberSeparators&, const NumberSeparators&) = default;
};

NumberSeparators SeparatorsOf(const std::locale& locale);

// The separators of the locale the environment names (LC_ALL, LC_NUMERIC, LANG). A name the
// system does not know gives the classic ones instead of an error: a number must always print.
NumberSeparators UserNumberSeparators();

// value rounded to `decimals` places, as the pattern "0.000" writes it for 3 (no grouping).
std::string FormatFixed(double value, int decimals, const NumberSeparators& separators);

// value with its digits in groups of three, as the pattern "#,##0" writes it.
std::string FormatGrouped(int64_t value, const NumberSeparators& separators);

}  // namespace korvel
