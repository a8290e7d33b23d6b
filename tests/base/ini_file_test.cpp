#include "base/ini_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace korvel {
namespace {

constexpr std::string_view kText =
    "; a comment line\r\n"
    "Stray=outside any section\r\n"
    "[Base]\r\n"
    "  Open =  Open file  \r\n"
    "Quoted=\"  kept spaces  \"\r\n"
    "Single='x'\r\n"
    "Unbalanced=\"x'\r\n"
    "no equals sign here\r\n"
    "open=second Open\r\n"
    "[base]\n"
    "Late=in the second Base\n"
    "[Other]\n"
    "Empty=\n";

TEST(IniFileTest, FindsSectionsAndKeysWithoutRegardToCaseFirstMatchWinning) {
  const IniFile ini = IniFile::Parse(kText);
  EXPECT_EQ(ini.Find("BASE", "OPEN"), "Open file");
  EXPECT_EQ(ini.Find("base", "Late"), std::nullopt) << "a repeated section is not merged into the first";
  EXPECT_EQ(ini.Find("Other", "Empty"), "");
  EXPECT_EQ(ini.Find("Base", "Stray"), std::nullopt);
  EXPECT_EQ(ini.Find("Missing", "Open"), std::nullopt);
  EXPECT_EQ(ini.SectionCount(), 3u);
}

TEST(IniFileTest, TrimsValuesAndRemovesOnePairOfQuotes) {
  const IniFile ini = IniFile::Parse(kText);
  EXPECT_EQ(ini.Find("Base", "Quoted"), "  kept spaces  ");
  EXPECT_EQ(ini.Find("Base", "Single"), "x");
  EXPECT_EQ(ini.Find("Base", "Unbalanced"), "\"x'");
  EXPECT_EQ(ini.ReadString("Base", "Absent", "default"), "default");
  EXPECT_EQ(ini.ReadString("Other", "Empty", "default"), "");
}

struct IntegerCase {
  const char* value;
  int32_t number;
};

class IniFileIntegerTest : public testing::TestWithParam<IntegerCase> {};

TEST_P(IniFileIntegerTest, ReadsTheLeadingDecimalNumber) {
  const IniFile ini = IniFile::Parse(std::string("[S]\nK=") + GetParam().value + "\n");
  EXPECT_EQ(ini.ReadInteger("S", "K", -99), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(IniFile, IniFileIntegerTest,
                         testing::Values(IntegerCase{"42", 42}, IntegerCase{"-7", -7}, IntegerCase{"+5", 5},
                                         IntegerCase{"12 clips", 12}, IntegerCase{"none", 0}, IntegerCase{"", 0},
                                         IntegerCase{"-", 0},
                                         IntegerCase{"99999999999999999999", std::numeric_limits<int32_t>::max()},
                                         IntegerCase{"-99999999999999999999", std::numeric_limits<int32_t>::min()}));

TEST(IniFileTest, ReadIntegerGivesTheFallbackOnlyWhenTheKeyIsAbsent) {
  const IniFile ini = IniFile::Parse("[S]\nK=x\n");
  EXPECT_EQ(ini.ReadInteger("S", "Absent", 7), 7);
  EXPECT_EQ(ini.ReadInteger("S", "K", 7), 0);
}

TEST(IniFileTest, LoadsEveryEncodingToTheSameValues) {
  const test::TempDir dir;
  const std::vector<uint8_t> utf16 = {0xFF, 0xFE, '[', 0, 'S', 0, ']', 0, '\r', 0, '\n', 0,
                                      'K', 0, '=', 0, 0xE5, 0x65, 0x2C, 0x67, '\r', 0, '\n', 0};
  const std::vector<uint8_t> utf8 = {0xEF, 0xBB, 0xBF, '[', 'S', ']', '\n', 'K', '=', 0xE6, 0x97, 0xA5, 0xE6, 0x9C, 0xAC};
  test::WriteFileBytes(dir / "utf16.ini", utf16);
  test::WriteFileBytes(dir / "utf8.ini", utf8);
  for (const char* name : {"utf16.ini", "utf8.ini"}) {
    const auto ini = IniFile::Load(dir / name);
    ASSERT_TRUE(ini) << name;
    EXPECT_EQ(ini->Find("S", "K"), "\xE6\x97\xA5\xE6\x9C\xAC") << name;
  }
  EXPECT_FALSE(IniFile::Load(dir / "missing.ini"));
}

TEST(IniFileTest, WrittenTextReadsBackWithItsChanges) {
  IniFile ini = IniFile::Parse("[Clip]\nClipCount=1\n");
  ini.WriteInteger("clip", "CLIPCOUNT", 2);
  ini.Write("Clip0", "FileName", "/media/a b.avi");
  ini.WriteInteger("Clip0", "StartTime", -1500);

  const std::string text = ini.ToText();
  EXPECT_EQ(text, "\xEF\xBB\xBF[Clip]\r\nClipCount=2\r\n\r\n[Clip0]\r\nFileName=/media/a b.avi\r\nStartTime=-1500\r\n\r\n");
  const IniFile back = IniFile::Parse(text);
  EXPECT_EQ(back.ReadInteger("Clip", "ClipCount", 0), 2);
  EXPECT_EQ(back.Find("Clip0", "FileName"), "/media/a b.avi");
  EXPECT_EQ(back.ReadInteger("Clip0", "StartTime", 0), -1500);
}

}  // namespace
}  // namespace korvel
