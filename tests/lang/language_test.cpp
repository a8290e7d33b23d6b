#include "lang/language.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "lang/lang.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

constexpr std::string_view kEnglish =
    "[Information]\nLanguage=English\nTranslator=Quendar\n"
    "[Base]\nOpen=Open\nClear=Clear\nOnly=English only\n[Korvel1]\nClip=Clip\n";
// Translator names may hold anything, even the caption's own separator.
constexpr std::string_view kGerman =
    "[Information]\nLanguage=Deutsch\nTranslator=Max -> Moritz\nWordOrder2=OV\n"
    "[Base]\nOpen=Öffnen\nClear=leeren\n[Korvel1]\nClip=Clip\n";
constexpr std::u16string_view kJapanese =
    u"[Information]\r\nLanguage=日本語\r\nTranslator=翻訳者\r\nWordOrder2=OV\r\n"
    u"[Base]\r\nOpen=開く\r\nClear=クリア\r\n[Korvel1]\r\nClip=クリップ\r\n";
constexpr std::string_view kTraditionalChinese = "[Information]\nLanguage=Chinese\n[Base]\nOpen=open-7c04\n";

class LangLanguageTest : public testing::Test {
protected:
  void Write(std::string_view name, std::string_view utf8) const {
    test::WriteFileBytes(dir_ / name, {reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size()});
  }
  void WriteUtf16(std::string_view name, std::u16string_view text) const {
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    for (const char16_t unit : text) {
      bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
      bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    test::WriteFileBytes(dir_ / name, bytes);
  }
  void WriteAll() const {
    Write("g0409_eng.ini", kEnglish);
    Write("g0407_deu.ini", kGerman);
    WriteUtf16("g0411_jpn.ini", kJapanese);
  }

  test::TempDir dir_;
};

TEST_F(LangLanguageTest, ShowsEnglishForAWordTheLanguageLacksAndDashesWhenEnglishLacksItToo) {
  WriteAll();
  TLanguage language(dir_.path());
  ASSERT_TRUE(language.SelectLanguage("g0407_deu.ini"));
  EXPECT_EQ(LangStr("Base", "Open"), "Öffnen");
  EXPECT_EQ(LangStr("Base", "Only"), "English only");
  EXPECT_EQ(LangStr("Base", "Missing"), "---");
  EXPECT_EQ(LangJoin(LangStr("Base", "Clear"), LangStr("Korvel1", "Clip")), "Clip leeren");
}

TEST_F(LangLanguageTest, GivesDashesForAMissingWordWhenThereIsNoEnglishFile) {
  Write("g0407_deu.ini", kGerman);
  TLanguage language(dir_.path());
  ASSERT_TRUE(language.SelectLanguage("g0407_deu.ini"));
  EXPECT_EQ(LangStr("Base", "Open"), "Öffnen");
  EXPECT_EQ(LangStr("Base", "Only"), "---");
}

TEST_F(LangLanguageTest, ALoadWithoutAnyUsableFileLeavesNoLanguageOpen) {
  WriteAll();
  TLanguage language(dir_.path());
  ASSERT_TRUE(language.SelectLanguage("g0407_deu.ini"));
  std::filesystem::remove(dir_ / "g0407_deu.ini");
  std::filesystem::remove(dir_ / "g0409_eng.ini");
  std::filesystem::remove(dir_ / "g0411_jpn.ini");

  EXPECT_FALSE(language.SelectLanguage("g0407_deu.ini"));
  EXPECT_EQ(language.CurrentPath(), dir_ / "g0409_eng.ini");
  EXPECT_EQ(LangStr("Base", "Open"), "");
  EXPECT_EQ(LangJoin("Clear", "Clip"), "Clear Clip");
}

TEST_F(LangLanguageTest, ClosingOrDestroyingTheLanguageEmptiesEveryText) {
  WriteAll();
  {
    TLanguage language(dir_.path());
    ASSERT_TRUE(language.SelectLanguage("g0409_eng.ini"));
    language.CloseLanguage();
    EXPECT_EQ(LangStr("Base", "Open"), "");
    ASSERT_TRUE(language.LoadLanguage(0x0409));
    EXPECT_EQ(LangStr("Base", "Open"), "Open");
  }
  EXPECT_EQ(LangStr("Base", "Open"), "");
}

TEST_F(LangLanguageTest, KeepsAnExistingCurrentFileAndOtherwiseFollowsTheLocale) {
  WriteAll();
  Write("g7c04_cht.ini", kTraditionalChinese);
  TLanguage language(dir_.path());

  ASSERT_TRUE(language.LoadLanguage(0x0404));
  EXPECT_EQ(language.CurrentPath(), dir_ / "g7c04_cht.ini");
  EXPECT_EQ(LangStr("Base", "Open"), "open-7c04");

  ASSERT_TRUE(language.LoadLanguage(0x0411));
  EXPECT_EQ(language.CurrentPath(), dir_ / "g7c04_cht.ini") << "an existing current file outranks the locale";

  language.SetCurrentPath(dir_ / "g0000_gone.ini");
  ASSERT_TRUE(language.LoadLanguage(0x0411));
  EXPECT_EQ(language.CurrentPath(), dir_ / "g0411_jpn.ini");
  EXPECT_EQ(LangStr("Base", "Open"), "開く");
}

TEST_F(LangLanguageTest, RestoresOnlyAStoredPathInsideTheLanguageFolder) {
  const std::filesystem::path folder = dir_ / "Language";
  TLanguage language(folder);
  struct StoredCase {
    std::filesystem::path stored;
    bool kept;
  };
  const std::string upperFolder = dir_.path().string() + "/LANGUAGE";
  for (const StoredCase& c : {StoredCase{folder / "g0411_jpn.ini", true}, StoredCase{folder / "." / "g0411_jpn.ini", true},
                              StoredCase{folder / "sub" / ".." / "g0411_jpn.ini", true},
                              StoredCase{folder / "sub" / "g0411_jpn.ini", false},
                              StoredCase{dir_ / "g0411_jpn.ini", false},
                              StoredCase{std::filesystem::path(upperFolder) / "g0411_jpn.ini", false},
                              StoredCase{folder / "", false}, StoredCase{"", false}}) {
    language.SetCurrentPath(dir_ / "previous.ini");
    language.RestoreStoredPath(c.stored);
    EXPECT_EQ(language.CurrentPath(), c.kept ? c.stored : std::filesystem::path()) << c.stored;
  }
}

TEST_F(LangLanguageTest, MenuListsTheNamedLanguagesByCaptionAndSelectsByFileName) {
  WriteAll();
  Write("g0000_unnamed.ini", "[Information]\nLanguage= ; not offered without a name\n");
  Write("readme.txt", "[Information]\nLanguage=Not a language file\n");
  TLanguage language(dir_.path());
  ASSERT_TRUE(language.SelectLanguage("g0411_jpn.ini"));

  std::vector<LanguageMenuEntry> entries = language.MenuEntries();
  const std::vector<LanguageMenuEntry> expected{
      {"Deutsch : Max -> Moritz -> g0407_deu.ini", "g0407_deu.ini", false},
      {"English : Quendar -> g0409_eng.ini", "g0409_eng.ini", false},
      {"日本語 : 翻訳者 -> g0411_jpn.ini", "g0411_jpn.ini", true},
  };
  ASSERT_EQ(entries.size(), expected.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].caption, expected[i].caption);
    EXPECT_EQ(entries[i].fileName, expected[i].fileName);
    EXPECT_EQ(entries[i].checked, expected[i].checked) << entries[i].caption;
  }

  ASSERT_TRUE(language.SelectLanguage(entries[0].fileName));
  EXPECT_EQ(LangStr("Base", "Open"), "Öffnen");
  entries = language.MenuEntries();
  EXPECT_TRUE(entries[0].checked);
  EXPECT_FALSE(entries[2].checked);
}

TEST_F(LangLanguageTest, ReadersOnOtherThreadsSeeTheOldOrTheNewLanguageWhileItIsSwitched) {
  WriteAll();
  TLanguage language(dir_.path());
  ASSERT_TRUE(language.SelectLanguage("g0409_eng.ini"));

  std::atomic<bool> done{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < 2; ++i) {
    readers.emplace_back([&] {
      while (!done) {
        const std::string open = LangStr("Base", "Open");
        const std::string phrase = LangJoin("verb", "object");
        if (open != "Open" && open != "Öffnen") ++wrong;
        if (phrase != "verb object" && phrase != "object verb") ++wrong;
      }
    });
  }
  int failedSwitches = 0;
  for (int i = 0; i < 200; ++i) failedSwitches += !language.SelectLanguage(i % 2 ? "g0409_eng.ini" : "g0407_deu.ini");
  done = true;
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(failedSwitches, 0);
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace korvel
