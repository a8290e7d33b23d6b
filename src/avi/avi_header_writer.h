#pragma once
// Composing the header of a new AVI file in memory: the RIFF lists and chunks up to the first
// movie list, the main and stream headers, and the chunk ids of the output streams. The header
// is written once at the start and rewritten in place when the file is finished, so every
// chunk's position in the buffer is kept.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "avi/avi_read_handler.h"
#include "avi/avi_stream_header.h"
#include "base/fourcc.h"

namespace korvel {

inline constexpr uint32_t kAviMainHeaderSize = 56;
inline constexpr uint32_t kBitmapInfoHeaderSize = 40;
inline constexpr uint32_t kWaveFormatSize = 16;

inline constexpr uint32_t kAvifHasIndex = 0x10;
inline constexpr uint32_t kAvifIsInterleaved = 0x100;

struct AviMainHeader {
  uint32_t dwMicroSecPerFrame = 0;
  uint32_t dwMaxBytesPerSec = 0;
  uint32_t dwPaddingGranularity = 0;
  uint32_t dwFlags = 0;
  uint32_t dwTotalFrames = 0;
  uint32_t dwInitialFrames = 0;
  uint32_t dwStreams = 0;
  uint32_t dwSuggestedBufferSize = 0;
  uint32_t dwWidth = 0;
  uint32_t dwHeight = 0;
};

std::vector<uint8_t> MainHeaderBytes(const AviMainHeader& header);
std::vector<uint8_t> StreamHeaderBytes(const AviStreamHeader& header);

// The reader's description of a stream as a stream header; the frame rectangle is narrowed to
// 16 bits, clamped.
AviStreamHeader StreamHeaderFromInfo(const AviStreamInfo& info);

// The fields of a BITMAPINFOHEADER the writer needs, read from a zero-filled full-size copy.
struct VideoFormatFields {
  int32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biBitCount = 0;
  FOURCC biCompression = 0;
  uint32_t biClrUsed = 0;
};
VideoFormatFields ReadVideoFormat(std::span<const uint8_t> format);

// Old DivX encoders left the handler empty and wrote a format that other programs refuse
// (no bit count, one palette colour); it is repaired the way those programs expect.
void RepairDivxFormat(AviStreamHeader& header, std::vector<uint8_t>& format);

// "00dc" for compressed video, "00db" for uncompressed video, "00wb" for audio; the stream
// number as two lower-case hexadecimal digits.
FOURCC StreamChunkId(uint32_t streamNumber, bool video, FOURCC biCompression);
// "ix00" ...: the standard index chunk of a stream.
FOURCC StandardIndexChunkId(uint32_t streamNumber);

// A growing RIFF image whose lists get their sizes when closed, and whose chunks can be
// replaced in place by chunks of the same size.
class AviHeaderBuffer {
public:
  AviHeaderBuffer() { bytes_.reserve(16 * 1024); }

  // The position of the list header; the list's size is written by EndList.
  size_t BeginList(FOURCC id, FOURCC type);
  void EndList(size_t listPosition);
  // The position of the chunk header; an odd-sized chunk gets a zero pad byte.
  size_t AddChunk(FOURCC id, std::span<const uint8_t> data);
  // Replaces the chunk at position with one of the same size; false (nothing changed) when the
  // sizes differ, so a replacement can never run into the next chunk.
  bool ReplaceChunk(size_t position, FOURCC id, std::span<const uint8_t> data);

  const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
  void Put32(size_t position, uint32_t value);

  std::vector<uint8_t> bytes_;
};

// Little-endian appends for the writer's chunk bodies.
void AppendLE16(std::vector<uint8_t>& out, uint16_t value);
void AppendLE32(std::vector<uint8_t>& out, uint32_t value);
void AppendLE64(std::vector<uint8_t>& out, uint64_t value);

// A 64-bit size or count in a 32-bit field.
inline uint32_t ClampTo32(uint64_t value) { return value > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(value); }

}  // namespace korvel
