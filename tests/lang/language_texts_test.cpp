#include "lang/language_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace korvel {
namespace {

struct OrderCase {
  const char* information;
  SentenceOrder sentence;
  VerbObjectOrder verbObject;
  const char* joined;  // Join("Clear", "Clip List")
};

class LangWordOrderTest : public testing::TestWithParam<OrderCase> {};

TEST_P(LangWordOrderTest, ReadsTheListedSpellingsOnly) {
  const LanguageTexts texts(IniFile::Parse(std::string("[Information]\n") + GetParam().information), std::nullopt);
  EXPECT_EQ(texts.sentenceOrder(), GetParam().sentence);
  EXPECT_EQ(texts.verbObjectOrder(), GetParam().verbObject);
  EXPECT_EQ(texts.Join("Clear", "Clip List"), GetParam().joined);
}

INSTANTIATE_TEST_SUITE_P(
    Lang, LangWordOrderTest,
    testing::Values(OrderCase{"", SentenceOrder::SVO, VerbObjectOrder::VO, "Clear Clip List"},
                    OrderCase{"WordOrder1=SOV\nWordOrder2=OV\n", SentenceOrder::SOV, VerbObjectOrder::OV, "Clip List Clear"},
                    OrderCase{"WordOrder1=OSV ; object first\nWordOrder2= OV ; verb last\n", SentenceOrder::OSV,
                              VerbObjectOrder::OV, "Clip List Clear"},
                    OrderCase{"WordOrder1=vso\nWordOrder2=ov\n", SentenceOrder::SVO, VerbObjectOrder::VO, "Clear Clip List"},
                    OrderCase{"WordOrder1=XYZ\nWordOrder2=OVX\n", SentenceOrder::SVO, VerbObjectOrder::VO, "Clear Clip List"},
                    OrderCase{"WordOrder1=VOS\nWordOrder2=VO\n", SentenceOrder::VOS, VerbObjectOrder::VO, "Clear Clip List"}));

TEST(LangTextsTest, TakesAnEmptyWordFromTheFallbackAndDashesWhenItLacksItToo) {
  const IniFile current = IniFile::Parse("[Base]\nOpen=Öffnen ; verb\nEmpty=\nNoteOnly=; still to translate\n");
  const IniFile english = IniFile::Parse("[Base]\nOpen=Open\nEmpty=Blank\nNoteOnly=Noted\nOnly=English only//second line\n");
  const LanguageTexts withFallback(current, english);
  EXPECT_EQ(withFallback.Str("Base", "Open"), "Öffnen");
  EXPECT_EQ(withFallback.Str("Base", "Empty"), "Blank");
  EXPECT_EQ(withFallback.Str("Base", "NoteOnly"), "Noted");
  EXPECT_EQ(withFallback.Str("Base", "Only"), "English only\r\nsecond line");
  EXPECT_EQ(withFallback.Str("Base", "Missing"), "---");
  EXPECT_EQ(withFallback.Str("Korvel1", "Open"), "---");

  const LanguageTexts alone(current, std::nullopt);
  EXPECT_EQ(alone.Str("Base", "Open"), "Öffnen");
  EXPECT_EQ(alone.Str("Base", "Empty"), "---");
}

}  // namespace
}  // namespace korvel
