#include "lang/value_syntax.h"

#include <gtest/gtest.h>

#include <string>

namespace korvel {
namespace {

struct SyntaxCase {
  const char* raw;
  const char* text;
};

class LangValueSyntaxTest : public testing::TestWithParam<SyntaxCase> {};

TEST_P(LangValueSyntaxTest, DropsTheCommentTrimsAndBreaksLines) { EXPECT_EQ(ApplyValueSyntax(GetParam().raw), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Lang, LangValueSyntaxTest,
                         testing::Values(SyntaxCase{"Clip", "Clip"},
                                         SyntaxCase{"Clip ; the noun, not the verb", "Clip"},
                                         SyntaxCase{" \tpadded\t ", "padded"},
                                         SyntaxCase{"; only a note", ""},
                                         SyntaxCase{"", ""},
                                         SyntaxCase{"First line.//Second line.", "First line.\r\nSecond line."},
                                         SyntaxCase{"a // b//c", "a \r\n b\r\nc"},
                                         SyntaxCase{"///", "\r\n/"},
                                         SyntaxCase{"kept//;dropped//", "kept\r\n"},
                                         SyntaxCase{"a;b;c", "a"}));

}  // namespace
}  // namespace korvel
