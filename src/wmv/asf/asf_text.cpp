#include "wmv/asf/asf_text.h"

#include "base/text_decode.h"
#include "wmv/asf/asf_field_cursor.h"

namespace korvel::asf {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point starting at text[at]; at moves past it.
char32_t NextCodePoint(std::string_view text, size_t& at) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  size_t extra = 0;
  char32_t cp = 0;
  if (lead < 0x80) {
    ++at;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07;
  } else {
    ++at;
    return kReplacement;
  }
  if (text.size() - at <= extra) {
    at = text.size();
    return kReplacement;
  }
  for (size_t i = 1; i <= extra; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      at += i;
      return kReplacement;
    }
    cp = (cp << 6) | (byte(at + i) & 0x3F);
  }
  at += extra + 1;
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  return cp;
}

void PutUnit(std::vector<uint8_t>& out, uint32_t unit) {
  out.push_back(static_cast<uint8_t>(unit));
  out.push_back(static_cast<uint8_t>(unit >> 8));
}

}  // namespace

std::string Utf16LeToUtf8(const ByteView& bytes) {
  size_t units = bytes.size() / 2;
  for (size_t u = 0; u < units; ++u) {
    if (*bytes.U16LE(2 * u) == 0) {
      units = u;
      break;
    }
  }
  // The shared decoder takes UTF-16 by its byte-order mark.
  std::vector<uint8_t> marked{0xFF, 0xFE};
  const auto text = SpanOf(bytes.Sub(0, 2 * units));
  marked.insert(marked.end(), text.begin(), text.end());
  return DecodeTextFile(marked);
}

std::vector<uint8_t> Utf8ToUtf16LeTerminated(std::string_view text) {
  std::vector<uint8_t> out;
  out.reserve(2 * text.size() + 2);
  for (size_t at = 0; at < text.size();) {
    const char32_t cp = NextCodePoint(text, at);
    if (cp >= 0x10000) {
      PutUnit(out, 0xD800 + ((cp - 0x10000) >> 10));
      PutUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      PutUnit(out, cp);
    }
  }
  PutUnit(out, 0);
  return out;
}

}  // namespace korvel::asf
