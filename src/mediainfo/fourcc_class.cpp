#include "mediainfo/fourcc_class.h"

#include <string_view>

namespace korvel {
namespace {

struct FamilyRow {
  std::string_view code;
  std::string_view family;
};

constexpr FamilyRow kFamilies[] = {
    {"h264", "h264"}, {"x264", "h264"}, {"avc1", "h264"}, {"davc", "h264"}, {"vssh", "h264"},
    {"divx", "divx"}, {"dx50", "divx"},
    {"mp43", "mp43"}, {"div3", "mp43"}, {"div4", "mp43"}, {"div5", "mp43"}, {"div6", "mp43"}, {"dvx3", "mp43"}, {"mpg3", "mp43"},
    {"mp42", "mp42"}, {"div2", "mp42"},
    {"mp41", "mp41"}, {"div1", "mp41"}, {"mpg4", "mp41"},
    {"wvc1", "wvc1"}, {"wmva", "wvc1"},
    {"vp30", "vp30"}, {"vp31", "vp30"},
    {"vp61", "vp61"}, {"vp62", "vp61"},
};

FOURCC ToLowerAscii(FOURCC code) {
  FOURCC lowered = 0;
  for (int i = 0; i < 4; ++i) {
    uint32_t ch = (code >> (8 * i)) & 0xFF;
    if (ch >= 'A' && ch <= 'Z') ch += 'a' - 'A';
    lowered |= ch << (8 * i);
  }
  return lowered;
}

}  // namespace

FOURCC FourCCClass(FOURCC handler) {
  const FOURCC lowered = ToLowerAscii(handler);
  for (const FamilyRow& row : kFamilies) {
    if (FourCCFromText(row.code) == lowered) return FourCCFromText(row.family);
  }
  return lowered;
}

}  // namespace korvel
