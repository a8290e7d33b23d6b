#pragma once
// What the MP4 engine knows of one ISO base media file and its tracks: the analyzer turns it
// into a media description, the lossless MP4 producer copies the tracks it lists.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// Handler types and sample entry names the engine tells apart.
inline constexpr std::string_view kMp4TrackVideo = "vide";
inline constexpr std::string_view kMp4TrackAudio = "soun";
inline constexpr std::string_view kMp4TrackSubtitle = "sbtl";
inline constexpr std::string_view kMp4CodecMpeg4Video = "mp4v";
inline constexpr std::string_view kMp4CodecH264 = "avc1";
inline constexpr std::string_view kMp4CodecMpeg4Audio = "mp4a";
inline constexpr std::string_view kMp4CodecAc3 = "ac-3";
inline constexpr std::string_view kMp4CodecSvq3 = "SVQ3";

// Fixed sample duration of a track whose samples do not all last the same.
inline constexpr uint64_t kMp4NoFixedSampleDuration = ~uint64_t{0};

struct SMP4TrackInfo {
  uint32_t Index = 0;                // position of the track in its file, from 0
  uint32_t TrackId = 0;              // in the file now open
  uint64_t Duration = 0;             // microseconds
  uint32_t TimeScale = 0;
  uint64_t FixedSampleDuration = 0;  // track timescale units, or kMp4NoFixedSampleDuration
  uint32_t SampleCount = 0;
  std::string TrackType;             // "vide", "soun", "sbtl", "text", "hint" ...
  std::string MediaDataName;         // "avc1", "mp4v", "mp4a", "ac-3", "SVQ3" ...
  std::string Language;              // three-letter code
  bool IsVideo = false;
  bool IsAudio = false;
  bool IsMpeg4Video = false;
  bool IsH264 = false;
  bool IsMpeg4Audio = false;
  bool IsAc3 = false;
  uint32_t BitRate = 0;
  uint16_t Width = 0;                // video and subtitle tracks
  uint16_t Height = 0;
  double FrameRate = 0;
  int32_t Channels = 0;              // audio; AC-3: derived from its coding mode
  uint32_t SampleRate = 0;           // AC-3 only
  std::vector<uint8_t> EsConfiguration;        // decoder configuration of a video or audio track
  std::vector<uint8_t> SequenceParameterSets;  // H.264: all of them, raw, one after the other
  std::vector<uint8_t> PictureParameterSets;   // H.264: likewise
  std::vector<uint8_t> Svq3Metadata;
  uint8_t EsdsObjectType = 0;
  uint8_t Mpeg4AudioType = 0;
  std::array<uint8_t, 6> Ac3Params{};  // fscod, bsid, bsmod, acmod, lfeon, bit rate code
  bool Supported = false;  // a codec the MP4 producer can copy
  bool Skipped = false;    // neither video nor audio: never copied, never compared

  // Sets the type and codec flags, Supported and Skipped from TrackType and MediaDataName.
  void Classify();
};

class SMP4FileInfo {
public:
  virtual ~SMP4FileInfo() = default;

  uint32_t TrackCount() const { return static_cast<uint32_t>(Tracks.size()); }
  // Drops every track record and makes room for count, all empty.
  void SetTrackCount(uint32_t count);

  // One entry per track in file order; an entry the reader could not fill stays null.
  std::vector<std::unique_ptr<SMP4TrackInfo>> Tracks;
  uint64_t Duration = 0;  // microseconds
  uint32_t TimeScale = 0;
  bool Fragmented = false;  // samples in movie fragments, which the MP4 producer cannot copy
};

// Full-bandwidth channels of an AC-3 coding mode (acmod) plus the low-frequency channel.
int32_t Ac3ChannelCount(uint8_t acmod, uint8_t lfeon);
// Sample rate of an AC-3 fscod; 0 for the reserved code.
uint32_t Ac3SampleRate(uint8_t fscod);

}  // namespace korvel
