#pragma once
// ASF stores its texts as UTF-16LE; the rest of the program speaks UTF-8.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_view.h"

namespace korvel::asf {

// UTF-16LE text up to its first NUL (or the end), as UTF-8.
std::string Utf16LeToUtf8(const ByteView& bytes);

// UTF-8 text as UTF-16LE bytes, with a NUL unit at the end; invalid bytes become U+FFFD.
std::vector<uint8_t> Utf8ToUtf16LeTerminated(std::string_view text);

}  // namespace korvel::asf
