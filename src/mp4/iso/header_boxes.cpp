#include "mp4/iso/header_boxes.h"

namespace korvel::iso {
namespace {

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

}  // namespace

std::optional<MovieHeader> ParseMvhd(ByteView p, std::string* error) {
  const auto version = p.U8(0);
  MovieHeader h;
  std::optional<uint32_t> scale;
  std::optional<uint64_t> duration;
  if (version == 1) {
    scale = p.U32BE(20);
    duration = p.U64BE(24);
  } else if (version) {
    scale = p.U32BE(12);
    if (const auto d = p.U32BE(16)) duration = *d;
  }
  if (!scale || !duration) {
    SetError(error, "the movie header 'mvhd' is too short");
    return std::nullopt;
  }
  h.timeScale = *scale;
  h.duration = *duration;
  return h;
}

std::optional<TrackHeader> ParseTkhd(ByteView p, std::string* error) {
  const auto version = p.U8(0);
  // The 64-bit layout moves everything after the times by 12 bytes.
  const size_t shift = version == 1 ? 12 : 0;
  const auto id = p.U32BE(12 + (version == 1 ? 8 : 0));
  const auto width = p.U32BE(76 + shift);
  const auto height = p.U32BE(80 + shift);
  if (!version || !id || !width || !height) {
    SetError(error, "a track header 'tkhd' is too short");
    return std::nullopt;
  }
  return TrackHeader{*id, *width, *height};
}

std::optional<MediaHeader> ParseMdhd(ByteView p, std::string* error) {
  const auto version = p.U8(0);
  std::optional<uint32_t> scale;
  std::optional<uint64_t> duration;
  std::optional<uint16_t> language;
  if (version == 1) {
    scale = p.U32BE(20);
    duration = p.U64BE(24);
    language = p.U16BE(32);
  } else if (version) {
    scale = p.U32BE(12);
    if (const auto d = p.U32BE(16)) duration = *d;
    language = p.U16BE(20);
  }
  if (!scale || !duration || !language) {
    SetError(error, "a media header 'mdhd' is too short");
    return std::nullopt;
  }
  return MediaHeader{*scale, *duration, DecodeLanguage(*language)};
}

std::optional<BoxType> ParseHdlr(ByteView p) { return p.U32BE(8); }

std::string DecodeLanguage(uint16_t packed) {
  std::string code(3, ' ');
  for (int i = 0; i < 3; ++i) {
    const int letter = ((packed >> (10 - 5 * i)) & 0x1F) + 0x60;
    if (letter < 'a' || letter > 'z') return "und";
    code[static_cast<size_t>(i)] = static_cast<char>(letter);
  }
  return code;
}

}  // namespace korvel::iso
