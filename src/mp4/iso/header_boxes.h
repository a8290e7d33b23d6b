#pragma once
// The small header boxes of a movie and its tracks: mvhd, tkhd, mdhd and hdlr, in both
// their 32-bit (version 0) and 64-bit (version 1) time layouts.
#include <cstdint>
#include <optional>
#include <string>

#include "base/byte_view.h"
#include "mp4/iso/box_reader.h"

namespace korvel::iso {

struct MovieHeader {
  uint32_t timeScale = 0;
  uint64_t duration = 0;
};

struct TrackHeader {
  uint32_t trackId = 0;
  uint32_t width = 0;   // 16.16 fixed point
  uint32_t height = 0;  // 16.16 fixed point
};

struct MediaHeader {
  uint32_t timeScale = 0;
  uint64_t duration = 0;
  std::string language = "und";
};

std::optional<MovieHeader> ParseMvhd(ByteView payload, std::string* error);
std::optional<TrackHeader> ParseTkhd(ByteView payload, std::string* error);
std::optional<MediaHeader> ParseMdhd(ByteView payload, std::string* error);
// The handler type; nothing when the box is too short.
std::optional<BoxType> ParseHdlr(ByteView payload);

// Three lower-case letters packed in 5 bits each (offset by 0x60); "und" for anything else,
// including the small Macintosh language numbers QuickTime files may hold.
std::string DecodeLanguage(uint16_t packed);

}  // namespace korvel::iso
