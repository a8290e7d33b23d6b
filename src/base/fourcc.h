#pragma once
// Four-character codes: 32-bit little-endian values, compared exactly.
#include <cstdint>
#include <string>
#include <string_view>

namespace korvel {

using FOURCC = uint32_t;

constexpr FOURCC MakeFourCC(char a, char b, char c, char d) {
  return static_cast<FOURCC>(static_cast<uint8_t>(a)) | (static_cast<FOURCC>(static_cast<uint8_t>(b)) << 8) |
         (static_cast<FOURCC>(static_cast<uint8_t>(c)) << 16) | (static_cast<FOURCC>(static_cast<uint8_t>(d)) << 24);
}

// The code of a four-character text; shorter texts are padded with spaces.
FOURCC FourCCFromText(std::string_view text);

// The four characters, with bytes outside printable ASCII shown as '.'.
std::string FourCCToText(FOURCC code);

}  // namespace korvel
