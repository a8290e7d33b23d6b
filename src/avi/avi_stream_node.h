#pragma once
// The reader's record of one stream: its header, its format block and its chunk index.
#include <cstdint>
#include <optional>
#include <vector>

#include "avi/avi_read_index.h"
#include "avi/avi_stream_header.h"
#include "avi/bitstream/video_bitstream.h"
#include "base/fourcc.h"

namespace korvel {


// What rebuilding the index keeps per stream to tell key frames.
struct AviReconstructState {
  bool detectMpeg4 = false;
  bool detectOtherCodec = false;
  uint32_t keyFramesFound = 0;
  uint32_t framesSinceKey = 0;
  uint32_t maxKeyInterval = 300;
  uint32_t averageFrameSize = 0;
  TVc1SequenceState vc1{};
};

struct AviStreamNode {
  AviStreamHeader header;
  std::vector<uint8_t> format;  // the whole "strf" chunk
  AviReadIndex index;
  uint64_t totalBytes = 0;
  bool keyFrameOnly = false;
  bool irregularChunks = false;
  uint64_t totalSamples = 0;
  uint32_t entryCount = 0;
  AviReconstructState reconstruct;

  bool IsVideo() const { return header.fccType == kStreamTypeVideo; }
  bool IsAudio() const { return header.fccType == kStreamTypeAudio; }
  // WAVEFORMATEX nBlockAlign and nAvgBytesPerSec; 0 for a format too short to be one.
  uint16_t BlockAlign() const;
  uint32_t AvgBytesPerSec() const;
  // BITMAPINFOHEADER biCompression; nothing for a format too short to be one.
  std::optional<FOURCC> Compression() const;
};

}  // namespace korvel
