#pragma once
// The description of one media file that every engine, analyzer and the clip list share.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/fourcc.h"
#include "base/guid.h"

namespace korvel {

enum QdStreamType : uint8_t {
  kStreamOther = 0,
  kStreamVideo = 1,
  kStreamAudio = 2,
  kStreamText = 3,
  kStreamData = 4,
};

// One stream of a file, in file order. An analyzer leaves the fields it does not use at zero.
struct QdMediaStream {
  int32_t Index = 0;
  uint8_t StreamType = kStreamOther;
  FOURCC FourCC = 0;       // AVI: the stream header's handler
  FOURCC FourCCClass = 0;  // AVI: the handler's codec family
  uint32_t Rate = 0;       // AVI
  uint32_t Scale = 0;      // AVI
  int32_t RateX1000 = 0;   // frames (or samples) per second x 1000
  int32_t Width = 0;
  int32_t Height = 0;
  uint32_t DisplayHeight = 0;             // FFmpeg
  std::vector<uint8_t> Format;            // AVI: stream format; MP4: SVQ3 metadata
  std::array<Guid, 3> MediaTypeGuids{};   // ASF: major type, subtype, format type
  uint32_t VbrMode = 0;                   // ASF
  uint32_t BitRate = 0;                   // ASF, MP4
  std::string CodecName;                  // ASF, UTF-8
  std::string CodecDesc;                  // ASF, UTF-8
  bool Ignored = false;                   // FFmpeg: discarded; MP4: skipped track
  uint32_t TimeBase = 0;                  // FFmpeg: time base x 1e6; MP4: track timescale
  uint32_t CodecId = 0;                   // FFmpeg
  uint32_t PixelFormat = 0;               // FFmpeg
  uint32_t SampleRate = 0;                // FFmpeg, MP4
  uint32_t Channels = 0;                  // FFmpeg, MP4
  uint32_t SampleFormat = 0;              // FFmpeg
  uint32_t FrameSize = 0;                 // FFmpeg
  std::string TrackTypeName;              // MP4: "vide", "soun" ...
  std::string MediaDataName;              // MP4: "avc1", "mp4a" ...
  std::string Language;                   // MP4: three-letter code
  uint8_t EsdsObjectType = 0;             // MP4
  uint8_t Mpeg4AudioType = 0;             // MP4
  std::array<uint8_t, 6> Ac3Params{};     // MP4: fscod, bsid, bsmod, acmod, lfeon, bit rate code
  std::vector<uint8_t> Extra1;            // MP4: decoder configuration
  std::vector<uint8_t> Extra2;            // MP4 H.264: sequence parameter sets
  std::vector<uint8_t> Extra3;            // MP4 H.264: picture parameter sets

  uint32_t FormatSize() const { return static_cast<uint32_t>(Format.size()); }
  uint32_t Extra1Size() const { return static_cast<uint32_t>(Extra1.size()); }
  uint32_t Extra2Size() const { return static_cast<uint32_t>(Extra2.size()); }
  uint32_t Extra3Size() const { return static_cast<uint32_t>(Extra3.size()); }
};

class QdMediaInfo {
public:
  virtual ~QdMediaInfo() = default;

  std::filesystem::path FileName;
  uint8_t Kind = 0;     // container kind; 0 = not analysed or not supported
  uint8_t SubKind = 0;
  bool IndexOK = true;  // false: reconstruct before use
  // The file's length in milliseconds as its analyzer measures it (the longest stream, or the
  // container's own duration); 0 when it cannot be told. Every join takes its clips' source
  // lengths from here, so that all ways of starting one give the same output.
  int32_t Duration = 0;
  // The system's error code (errno) when the file could not be opened for reading; 0 otherwise.
  int32_t ReadError = 0;
  std::vector<QdMediaStream> Streams;
  std::vector<bool> Matched;  // scratch flags of the join comparison, one per stream

  int32_t StreamCount() const { return static_cast<int32_t>(Streams.size()); }
  // Streams that take part in the join comparison.
  int32_t ComparableCount() const;

  void Reset();
  // Replaces the streams by n zero-filled records.
  void AllocStreams(int32_t n);
  void FreeStreams();
  void ClearMatched();
};

// Frames (or samples) per second x 1000 from a rate and a scale:
// trunc((rate / scale + 0.00049) x 1000); 0 for a zero scale, clamped to the 32-bit range.
int32_t RateX1000(double rate, double scale);

}  // namespace korvel
