#include "base/fourcc.h"

namespace korvel {

FOURCC FourCCFromText(std::string_view text) {
  char c[4] = {' ', ' ', ' ', ' '};
  for (size_t i = 0; i < 4 && i < text.size(); ++i) c[i] = text[i];
  return MakeFourCC(c[0], c[1], c[2], c[3]);
}

std::string FourCCToText(FOURCC code) {
  std::string text(4, '.');
  for (int i = 0; i < 4; ++i) {
    const auto ch = static_cast<unsigned char>((code >> (8 * i)) & 0xFF);
    if (ch >= 0x20 && ch < 0x7F) text[i] = static_cast<char>(ch);
  }
  return text;
}

}  // namespace korvel
