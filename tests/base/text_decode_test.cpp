#include "base/text_decode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace korvel {
namespace {

struct DecodeCase {
  const char* name;
  std::vector<uint8_t> bytes;
  std::string text;
};

class TextDecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(TextDecodeTest, GivesUtf8) { EXPECT_EQ(DecodeTextFile(GetParam().bytes), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    TextDecode, TextDecodeTest,
    testing::Values(
        DecodeCase{"Empty", {}, ""},
        DecodeCase{"AsciiWithoutMark", {'K', '=', 'v', '\r', '\n'}, "K=v\r\n"},
        DecodeCase{"Utf8WithoutMarkPassesThrough", {0xE6, 0x97, 0xA5}, "\xE6\x97\xA5"},
        DecodeCase{"Utf8MarkIsDropped", {0xEF, 0xBB, 0xBF, 'a'}, "a"},
        DecodeCase{"Utf16LittleEndian", {0xFF, 0xFE, 'A', 0x00, 0xE9, 0x00, 0xE5, 0x65}, "A\xC3\xA9\xE6\x97\xA5"},
        DecodeCase{"Utf16BigEndian", {0xFE, 0xFF, 0x00, 'A', 0x00, 0xE9, 0x65, 0xE5}, "A\xC3\xA9\xE6\x97\xA5"},
        DecodeCase{"Utf16MarkOnly", {0xFF, 0xFE}, ""},
        DecodeCase{"SurrogatePairIsOneCharacter", {0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}, "\xF0\x9F\x98\x80"},
        DecodeCase{"HighSurrogateAtTheEnd", {0xFF, 0xFE, 'A', 0x00, 0x3D, 0xD8}, "A\xEF\xBF\xBD"},
        DecodeCase{"HighSurrogateBeforeAnOrdinaryUnit", {0xFF, 0xFE, 0x3D, 0xD8, 'A', 0x00}, "\xEF\xBF\xBD" "A"},
        DecodeCase{"LoneLowSurrogate", {0xFE, 0xFF, 0xDE, 0x00, 0x00, 'A'}, "\xEF\xBF\xBD" "A"},
        DecodeCase{"TrailingOddByteIsNotACharacter", {0xFF, 0xFE, 'A', 0x00, 'B'}, "A"}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel
