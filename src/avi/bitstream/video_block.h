#pragma once
// What every inspector does with the block it is given.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace korvel {

// Fewer bytes than this never make a key frame: too little of a real frame to judge.
inline constexpr size_t kMinInspectedLength = 10;

// The inspectors take a pointer and a length from the caller; a missing block is an empty one.
inline std::span<const uint8_t> VideoBlock(const uint8_t* data, size_t length) {
  return data == nullptr ? std::span<const uint8_t>() : std::span<const uint8_t>(data, length);
}

// The position of the next 00 00 01 at or after from.
inline std::optional<size_t> FindStartCode(std::span<const uint8_t> data, size_t from) {
  for (size_t i = from; i < data.size() && data.size() - i >= 3; ++i) {
    if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) return i;
  }
  return std::nullopt;
}

}  // namespace korvel
