#pragma once
// Turning the bytes of a text file into UTF-8, whatever encoding the file announces.
#include <cstdint>
#include <span>
#include <string>

namespace korvel {

// UTF-16 (LE or BE) and UTF-8 files with a byte-order mark are converted; anything without a
// mark is taken as UTF-8 (plain ASCII included). Unpaired UTF-16 surrogates become U+FFFD.
std::string DecodeTextFile(std::span<const uint8_t> bytes);

// Appends one code point encoded as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace korvel
