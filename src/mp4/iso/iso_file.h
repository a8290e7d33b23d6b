#pragma once
// Reading ISO base media files (MP4, MOV, 3GP, M4A ...): the movie and its tracks, their
// sample descriptions and random access to every sample. Operations are named after the
// calls the MP4 engine makes, so the engine code reads the same whichever layer is below it.
// Every size, count and offset read from a file is checked before use; a malformed file is
// refused by Read with an error, never followed.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvel::iso {

using MP4TrackId = uint32_t;   // as stored in tkhd; 0 = none
using MP4SampleId = uint32_t;  // 1-based; 0 = none
using MP4Timestamp = uint64_t;
using MP4Duration = uint64_t;

inline constexpr MP4TrackId MP4_INVALID_TRACK_ID = 0;
inline constexpr MP4SampleId MP4_INVALID_SAMPLE_ID = 0;
// A track whose samples do not all last the same.
inline constexpr MP4Duration MP4_INVALID_DURATION = ~MP4Duration{0};

// The fields of an AC-3 track's "dac3" box.
struct Ac3SpecificBox {
  uint8_t fscod = 0;
  uint8_t bsid = 0;
  uint8_t bsmod = 0;
  uint8_t acmod = 0;
  uint8_t lfeon = 0;
  uint8_t bitRateCode = 0;
};

// One sample as stored: its bytes and its place in time (track timescale units).
struct MP4Sample {
  std::vector<uint8_t> bytes;
  MP4Timestamp startTime = 0;      // decode time
  MP4Duration duration = 0;
  int64_t renderingOffset = 0;     // composition minus decode time; may be negative
  bool isSyncSample = false;
};

class IsoTrack;

class IsoFile {
public:
  // Opens and parses the file's boxes (the sample data stays on disk). Null with error set
  // when the file cannot be read or is malformed.
  static std::unique_ptr<IsoFile> Read(const std::filesystem::path& file, std::string* error = nullptr);
  // The same over bytes already in memory (a file's whole contents); for checks and fuzzing.
  static std::unique_ptr<IsoFile> ReadMemory(std::vector<uint8_t> bytes, std::string* error = nullptr);
  ~IsoFile();
  IsoFile(const IsoFile&) = delete;
  IsoFile& operator=(const IsoFile&) = delete;

  // "ftyp" major brand ("isom", "qt  " ...); empty without ftyp.
  std::string MajorBrand() const;
  std::vector<std::string> CompatibleBrands() const;

  uint32_t GetTimeScale() const;   // movie timescale (mvhd)
  MP4Duration GetDuration() const; // movie duration in movie timescale units
  // The movie announces fragments ("mvex"): samples beyond the movie box live in "moof" boxes,
  // which this reader does not read.
  bool IsFragmented() const;
  uint32_t GetNumberOfTracks() const;
  // The id of the track at index (0-based, file order); MP4_INVALID_TRACK_ID past the end.
  MP4TrackId FindTrackId(uint32_t index) const;
  // Null for an unknown id.
  const IsoTrack* Track(MP4TrackId id) const;

  // Converts a duration from timescale `from` to `to` without overflow (rounding down).
  static uint64_t ConvertDuration(uint64_t value, uint32_t from, uint32_t to);

private:
  struct Impl;
  explicit IsoFile(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

class IsoTrack {
public:
  virtual ~IsoTrack() = default;

  virtual MP4TrackId GetId() const = 0;
  // Handler type: "vide", "soun", "sbtl", "text", "hint" ...
  virtual std::string GetType() const = 0;
  // The sample entry's four characters: "avc1", "mp4v", "mp4a", "ac-3", "SVQ3" ...
  virtual std::string GetMediaDataName() const = 0;
  // ISO 639-2/T code from mdhd ("und" when unset).
  virtual std::string GetLanguage() const = 0;
  virtual uint32_t GetTimeScale() const = 0;            // mdhd
  virtual MP4Duration GetDuration() const = 0;          // mdhd, track timescale units
  // The common duration of every sample, or MP4_INVALID_DURATION.
  virtual MP4Duration GetFixedSampleDuration() const = 0;
  virtual uint32_t GetNumberOfSamples() const = 0;
  // Average bits per second over the track (esds avgBitrate when set, else from the sizes).
  virtual uint32_t GetBitRate() const = 0;
  virtual uint32_t GetMaxSampleSize() const = 0;

  // Visual sample entries (and tkhd for other tracks with a size): 0 when not visual.
  virtual uint16_t GetVideoWidth() const = 0;
  virtual uint16_t GetVideoHeight() const = 0;
  // Samples per second over the track; 0 without samples.
  virtual double GetVideoFrameRate() const = 0;

  // Audio sample entries.
  virtual int32_t GetAudioChannels() const = 0;
  virtual uint8_t GetEsdsObjectTypeId() const = 0;   // from esds; 0 when none
  virtual uint8_t GetAudioMpeg4Type() const = 0;     // audio object type of the AudioSpecificConfig; 0 when none
  virtual std::optional<Ac3SpecificBox> GetAc3Specific() const = 0;

  // The decoder configuration: esds DecoderSpecificInfo, or the avcC record for H.264.
  virtual std::vector<uint8_t> GetESConfiguration() const = 0;
  // H.264: each parameter set without start code or length prefix.
  virtual std::vector<std::vector<uint8_t>> GetH264SequenceParameterSets() const = 0;
  virtual std::vector<std::vector<uint8_t>> GetH264PictureParameterSets() const = 0;
  // The "SVQ3" entry's metadata bytes; empty otherwise.
  virtual std::vector<uint8_t> GetSvq3Metadata() const = 0;
  // The whole sample description entry as stored (for cloning into an output).
  virtual std::vector<uint8_t> GetSampleDescriptionEntry() const = 0;

  // Random access. Ids are 1 ... GetNumberOfSamples().
  virtual bool ReadSample(MP4SampleId id, MP4Sample& sample, std::string* error = nullptr) const = 0;
  virtual MP4Timestamp GetSampleTime(MP4SampleId id) const = 0;
  virtual MP4Duration GetSampleDuration(MP4SampleId id) const = 0;
  virtual int64_t GetSampleRenderingOffset(MP4SampleId id) const = 0;
  virtual bool GetSampleSync(MP4SampleId id) const = 0;
  virtual uint32_t GetSampleSize(MP4SampleId id) const = 0;
  // The sample playing at time (decode timeline); with wantSync the sync sample at or
  // before it. MP4_INVALID_SAMPLE_ID past the end or when there is none.
  virtual MP4SampleId GetSampleIdFromTime(MP4Timestamp time, bool wantSync) const = 0;
};

}  // namespace korvel::iso
