#pragma once
// RIFF chunk headers: a four-character id and a 32-bit little-endian size, with the data padded
// to an even length.
#include <cstdint>
#include <optional>

#include "base/byte_view.h"
#include "base/fourcc.h"

namespace korvel {

inline constexpr uint32_t kRiffChunkHeaderSize = 8;
inline constexpr FOURCC kFourCCRiff = MakeFourCC('R', 'I', 'F', 'F');
inline constexpr FOURCC kFourCCList = MakeFourCC('L', 'I', 'S', 'T');

struct RiffChunkHeader {
  FOURCC id = 0;
  uint32_t size = 0;

  // The data length rounded up to even, as the chunk occupies it in the file.
  uint64_t PaddedSize() const { return static_cast<uint64_t>(size) + (size & 1u); }
  bool IsContainer() const { return id == kFourCCRiff || id == kFourCCList; }
};

inline std::optional<RiffChunkHeader> ParseRiffChunkHeader(const ByteView& bytes, size_t offset) {
  const auto id = bytes.U32LE(offset);
  const auto size = bytes.U32LE(offset + 4);
  if (!id || !size) return std::nullopt;
  return RiffChunkHeader{*id, *size};
}

// The characters a chunk id may hold: space, digits, ASCII letters and '_'.
constexpr bool IsRiffIdCharacter(uint8_t c) {
  return c == ' ' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

constexpr bool IsValidRiffId(FOURCC id) {
  for (int i = 0; i < 4; ++i)
    if (!IsRiffIdCharacter(static_cast<uint8_t>(id >> (8 * i)))) return false;
  return true;
}

}  // namespace korvel
