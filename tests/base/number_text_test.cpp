#include "base/number_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/scoped_env.h"

namespace korvel {
namespace {

const NumberSeparators kClassic;                // "." and ","
const NumberSeparators kGerman{",", "."};       // the other way round
const NumberSeparators kFrench{",", "\u202F"};  // a separator longer than one byte in UTF-8

TEST(NumberTextTest, FixedKeepsTheDecimalsAndUsesTheDecimalSeparator) {
  EXPECT_EQ(FormatFixed(25.0, 3, kClassic), "25.000");
  EXPECT_EQ(FormatFixed(29.97, 3, kClassic), "29.970");
  EXPECT_EQ(FormatFixed(44100.0, 1, kGerman), "44100,0");  // no grouping in "0.0"
  EXPECT_EQ(FormatFixed(0.0, 1, kClassic), "0.0");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 3, kClassic), "0.000");
}

TEST(NumberTextTest, GroupedPutsTheSeparatorBetweenGroupsOfThree) {
  EXPECT_EQ(FormatGrouped(0, kClassic), "0");
  EXPECT_EQ(FormatGrouped(999, kClassic), "999");
  EXPECT_EQ(FormatGrouped(44100, kClassic), "44,100");
  EXPECT_EQ(FormatGrouped(4294967295, kGerman), "4.294.967.295");
  EXPECT_EQ(FormatGrouped(-1234567, kClassic), "-1,234,567");
  EXPECT_EQ(FormatGrouped(48000, kFrench), "48\u202F000");
  EXPECT_EQ(FormatGrouped(48000, NumberSeparators{".", ""}), "48000");
}

// A locale whose numbers read "1'234,5".
class SwissPunct : public std::numpunct<wchar_t> {
protected:
  wchar_t do_decimal_point() const override { return L','; }
  wchar_t do_thousands_sep() const override { return L'\''; }
};

TEST(NumberTextTest, SeparatorsComeFromTheLocale) {
  EXPECT_EQ(SeparatorsOf(std::locale::classic()), kClassic);
  EXPECT_EQ(SeparatorsOf(std::locale(std::locale::classic(), new SwissPunct)), (NumberSeparators{",", "'"}));
}

TEST(NumberTextTest, AnUnknownLocaleNameGivesTheClassicSeparators) {
  const test::ScopedEnv all("LC_ALL", "xx_NOWHERE.bogus");
  EXPECT_EQ(UserNumberSeparators(), kClassic);
}

}  // namespace
}  // namespace korvel
