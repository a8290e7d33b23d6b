#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace korvel {

// Two upper-case hexadecimal digits per byte, high nibble first.
std::string ToHexUpper(std::span<const uint8_t> bytes);

}  // namespace korvel
