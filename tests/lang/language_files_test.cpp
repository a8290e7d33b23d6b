// The language files the programs ship: their encodings, their words, and whether they hold
// every word the code asks for.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ini_file.h"
#include "base/text_decode.h"
#include "lang/lang.h"
#include "lang/language.h"
#include "lang/value_syntax.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using Key = std::pair<std::string, std::string>;  // section, key

const std::filesystem::path kLanguageFolder = KORVEL_LANGUAGE_SOURCE_DIR;
constexpr const char* kEnglishFile = "g0409_eng.ini";
constexpr const char* kJapaneseFile = "g0411_jpn.ini";

// Words the Japanese file leaves out on purpose, so that the real files show the English
// fallback at work: "OK" is what a Japanese dialog says anyway.
const std::set<Key> kLeftToEnglish{{"Base", "OK"}};

std::vector<uint8_t> ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every key of every section of a language file, in file order.
std::vector<Key> KeysOf(const std::filesystem::path& file) {
  const std::string text = DecodeTextFile(ReadBytes(file));
  const std::regex sectionLine(R"(^\s*\[([^\]]+)\]\s*$)");
  const std::regex keyLine(R"(^\s*([^;=\s][^=]*?)\s*=)");
  std::vector<Key> keys;
  std::string section;
  std::smatch match;
  for (size_t begin = 0; begin < text.size();) {
    const size_t end = std::min(text.find('\n', begin), text.size());
    const std::string line = text.substr(begin, end - begin);
    begin = end + 1;
    if (std::regex_search(line, match, sectionLine)) {
      section = match[1];
    } else if (!section.empty() && std::regex_search(line, match, keyLine)) {
      keys.emplace_back(section, match[1]);
    }
  }
  return keys;
}

// The section and key of every LangStr call with literal arguments in the C++ files under folder.
std::set<Key> LangStrCallsUnder(const std::filesystem::path& folder) {
  const std::regex call(R"re(\bLangStr\s*\(\s*"([^"]+)"\s*,\s*"([^"]+)"\s*\))re");
  std::set<Key> calls;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
    const std::vector<uint8_t> bytes = ReadBytes(entry.path());
    const std::string text(bytes.begin(), bytes.end());
    for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it) calls.emplace((*it)[1], (*it)[2]);
  }
  return calls;
}

void WriteText(const std::filesystem::path& file, std::string_view text) {
  test::WriteFileBytes(file, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

TEST(LangFilesTest, FindsLiteralLangStrCallsInHeadersAndSources) {
  const test::TempDir dir;
  std::filesystem::create_directory(dir / "app");
  WriteText(dir / "app" / "window.cpp", "x = LangStr(\"Base\", \"Open\") + LangStr (\n  \"Korvel1\" ,\"Clip\" );\nLangStr(section, key);\n");
  WriteText(dir / "words.h", "inline auto Title() { return LangStr(\"Korvel2\", \"Reconstruct\"); }\n");
  WriteText(dir / "notes.txt", "LangStr(\"Base\", \"NotCode\")");
  EXPECT_EQ(LangStrCallsUnder(dir.path()), (std::set<Key>{{"Base", "Open"}, {"Korvel1", "Clip"}, {"Korvel2", "Reconstruct"}}));
}

TEST(LangFilesTest, EnglishHasEveryWordTheCodeLooksUp) {
  const auto english = IniFile::Load(kLanguageFolder / kEnglishFile);
  ASSERT_TRUE(english);
  for (const auto& [section, key] : LangStrCallsUnder(KORVEL_SOURCE_DIR))
    EXPECT_TRUE(english->Find(section, key)) << "[" << section << "] " << key << " is missing from " << kEnglishFile;
}

TEST(LangFilesTest, JapaneseHasEveryEnglishWordButTheOnesLeftToEnglishAndNoOthers) {
  const auto english = IniFile::Load(kLanguageFolder / kEnglishFile);
  const auto japanese = IniFile::Load(kLanguageFolder / kJapaneseFile);
  ASSERT_TRUE(english && japanese);
  const std::vector<Key> englishKeys = KeysOf(kLanguageFolder / kEnglishFile);
  ASSERT_GT(englishKeys.size(), 100u);
  for (const auto& [section, key] : englishKeys) {
    EXPECT_FALSE(ApplyValueSyntax(english->ReadString(section, key, "")).empty()) << "[" << section << "] " << key;
    const bool leftOut = kLeftToEnglish.contains({section, key});
    EXPECT_EQ(japanese->Find(section, key).has_value(), !leftOut) << "[" << section << "] " << key;
  }
  for (const auto& [section, key] : KeysOf(kLanguageFolder / kJapaneseFile)) {
    EXPECT_TRUE(english->Find(section, key)) << "[" << section << "] " << key << " is not an English key";
    EXPECT_FALSE(ApplyValueSyntax(japanese->ReadString(section, key, "")).empty()) << "[" << section << "] " << key;
  }
}

TEST(LangFilesTest, JapaneseIsUtf16LittleEndianWithAMarkAndEnglishIsPlainText) {
  const std::vector<uint8_t> japanese = ReadBytes(kLanguageFolder / kJapaneseFile);
  ASSERT_GE(japanese.size(), 4u);
  EXPECT_EQ(japanese[0], 0xFF);
  EXPECT_EQ(japanese[1], 0xFE);
  EXPECT_EQ(japanese[3], 0x00) << "the first character, ASCII, has a zero high byte";
  for (const uint8_t byte : ReadBytes(kLanguageFolder / kEnglishFile)) ASSERT_LT(byte, 0x80);
}

struct WordCase {
  const char* file;
  const char* section;
  const char* key;
  const char* text;
};

class LangFilesWordTest : public testing::TestWithParam<WordCase> {};

TEST_P(LangFilesWordTest, ReadsWithTheValueSyntax) {
  TLanguage language(kLanguageFolder);
  ASSERT_TRUE(language.SelectLanguage(GetParam().file));
  EXPECT_EQ(LangStr(GetParam().section, GetParam().key), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Lang, LangFilesWordTest,
    testing::Values(
        WordCase{kEnglishFile, "Korvel1", "Clip", "Clip"},
        WordCase{kEnglishFile, "Korvel1", "Send2Rec", "to Trash"},
        WordCase{kEnglishFile, "Korvel1", "FileDiff",
                 "The format of this file differs from the clips in the list.\r\nClips of different formats cannot be joined."},
        WordCase{kEnglishFile, "Base", "NoSuchWord", "---"},
        WordCase{kJapaneseFile, "Korvel1", "Clip", "クリップ"},
        WordCase{kJapaneseFile, "Korvel1", "Send2Rec", "ごみ箱へ"},
        WordCase{kJapaneseFile, "Korvel1", "FileDiff",
                 "このファイルの形式はリスト内のクリップと異なります。\r\n形式の異なるクリップは結合できません。"},
        WordCase{kJapaneseFile, "Base", "OK", "OK"},  // left to English
        // Section and key names match without regard to ASCII case, in both files.
        WordCase{kEnglishFile, "Base", "Ok", "OK"},
        WordCase{kJapaneseFile, "base", "ok", "OK"},
        WordCase{kJapaneseFile, "KORVEL1", "clip", "クリップ"},
        WordCase{kJapaneseFile, "Base", "NoSuchWord", "---"}));

struct PhraseCase {
  const char* file;
  const char* clearClipList;
  const char* initializationCompleted;
};

class LangFilesPhraseTest : public testing::TestWithParam<PhraseCase> {};

TEST_P(LangFilesPhraseTest, JoinsVerbAndObjectInTheLanguagesOrder) {
  TLanguage language(kLanguageFolder);
  ASSERT_TRUE(language.SelectLanguage(GetParam().file));
  EXPECT_EQ(LangJoin(LangStr("Base", "Clear"), LangStr("Korvel1", "Clip") + " " + LangStr("Base", "List")), GetParam().clearClipList);
  EXPECT_EQ(LangJoin(LangStr("Base", "Completed"), LangStr("Base", "Initialization")), GetParam().initializationCompleted);
}

INSTANTIATE_TEST_SUITE_P(Lang, LangFilesPhraseTest,
                         testing::Values(PhraseCase{kEnglishFile, "Clear Clip List", "Completed Initialization"},
                                         PhraseCase{kJapaneseFile, "クリップ リスト クリア", "初期化 完了"}));

TEST(LangFilesTest, MenuOffersBothLanguages) {
  TLanguage language(kLanguageFolder);
  ASSERT_TRUE(language.SelectLanguage(kJapaneseFile));
  const std::vector<LanguageMenuEntry> entries = language.MenuEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (LanguageMenuEntry{"English : Quendar -> g0409_eng.ini", kEnglishFile, false}));
  EXPECT_EQ(entries[1], (LanguageMenuEntry{"日本語 : Quendar -> g0411_jpn.ini", kJapaneseFile, true}));
}

TEST(LangFilesTest, EveryLanguageFileIsCopiedBesideTheCommandLineProgram) {
  const std::filesystem::path installed = std::filesystem::path(KORVEL_CLI_PATH).parent_path() / "Language";
  for (const auto& entry : std::filesystem::directory_iterator(kLanguageFolder)) {
    if (entry.path().extension() != ".ini") continue;
    EXPECT_EQ(ReadBytes(installed / entry.path().filename()), ReadBytes(entry.path())) << entry.path().filename();
  }
}

}  // namespace
}  // namespace korvel
