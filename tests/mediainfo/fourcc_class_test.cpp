#include "mediainfo/fourcc_class.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(FourCCClassTest, MapsHandlersToTheirFamily) {
  const struct {
    const char* handler;
    const char* family;
  } cases[] = {
      {"H264", "h264"}, {"X264", "h264"}, {"avc1", "h264"}, {"DAVC", "h264"}, {"VSSH", "h264"},
      {"DIVX", "divx"}, {"DX50", "divx"}, {"DIV3", "mp43"}, {"MP43", "mp43"}, {"div4", "mp43"},
      {"DIV5", "mp43"}, {"DIV6", "mp43"}, {"DVX3", "mp43"}, {"MPG3", "mp43"}, {"MP42", "mp42"},
      {"DIV2", "mp42"}, {"MP41", "mp41"}, {"DIV1", "mp41"}, {"MPG4", "mp41"}, {"WVC1", "wvc1"},
      {"WMVA", "wvc1"}, {"VP30", "vp30"}, {"VP31", "vp30"}, {"VP61", "vp61"}, {"VP62", "vp61"},
      // Anything else is itself, lower-cased.
      {"XVID", "xvid"}, {"FMP4", "fmp4"}, {"VP60", "vp60"},
  };
  for (const auto& c : cases) EXPECT_EQ(FourCCToText(FourCCClass(FourCCFromText(c.handler))), c.family) << c.handler;
}

TEST(FourCCClassTest, LowerCasesOnlyAsciiLettersAndKeepsZero) {
  EXPECT_EQ(FourCCClass(0), 0u);
  EXPECT_EQ(FourCCClass(MakeFourCC('\xC4', 'A', '1', ' ')), MakeFourCC('\xC4', 'a', '1', ' '));
}

}  // namespace
}  // namespace korvel
