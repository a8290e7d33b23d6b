#include "base/text_decode.h"

namespace korvel {
namespace {

std::string FromUtf16(std::span<const uint8_t> bytes, bool bigEndian) {
  constexpr char32_t kReplacement = 0xFFFD;
  std::string out;
  out.reserve(bytes.size());
  const auto unitAt = [&](size_t i) -> char16_t {
    return bigEndian ? static_cast<char16_t>(bytes[i] << 8 | bytes[i + 1])
                     : static_cast<char16_t>(bytes[i + 1] << 8 | bytes[i]);
  };
  const size_t units = bytes.size() / 2;  // a trailing odd byte is not a character
  for (size_t u = 0; u < units; ++u) {
    const char16_t unit = unitAt(2 * u);
    if (unit >= 0xD800 && unit <= 0xDBFF && u + 1 < units) {
      const char16_t low = unitAt(2 * (u + 1));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{low} - 0xDC00));
        ++u;
        continue;
      }
    }
    AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : char32_t{unit});
  }
  return out;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string DecodeTextFile(std::span<const uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return FromUtf16(bytes.subspan(2), false);
  if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return FromUtf16(bytes.subspan(2), true);
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) bytes = bytes.subspan(3);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace korvel
