#pragma once
// The stream properties a media type stands for: the exact inverse of MediaTypeFromStream, so
// that a file we write gives back, when read, the media types it was written from.
#include <cstdint>
#include <optional>

#include "wmv/asf/asf_header.h"
#include "wmv/asf/asf_media_type.h"

namespace korvel::asf {

struct AsfStreamFromMediaType {
  AsfStreamProperties stream;
  // The average time per frame of a VIDEOINFOHEADER (100 ns), for the extended properties.
  uint64_t averageTimePerFrame = 0;
};

// Stream type and type data for the stream numbered number. Video with a
// VIDEOINFOHEADER, audio with a WAVEFORMATEX, scripts and images get their own stream types;
// any other type is stored whole as a binary stream. No error correction: samples are stored
// as they come. Nothing when the format cannot be stored (a bitmap header and codec data
// beyond the 16-bit size the video type data allows).
std::optional<AsfStreamFromMediaType> StreamFromMediaType(const WmMediaType& type, uint16_t number);

}  // namespace korvel::asf
