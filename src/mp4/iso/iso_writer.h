#pragma once
// Writing ISO base media files: tracks whose sample descriptions are copied from a source,
// samples appended one after another to the media data, and the movie header written after
// them when the file closes. Operations are named after the calls the MP4 engine makes.
//
// Layout of the output: ftyp, mdat (every sample, in the order written), moov. Each sample's
// bytes are written once, in sequence, through a large buffer; the sample tables stay in memory
// until Close. Every write, flush, fsync and close is checked; after the first failure the
// writer refuses further samples and Close reports that failure.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "mp4/iso/iso_file.h"

namespace korvel::iso {

class IsoWriter {
public:
  // Creates (or truncates) the file. use64BitData gives the media data box a 64-bit size, so it
  // may grow beyond 4 GiB; without it a sample that would carry it past 4 GiB is refused. Null
  // with error set when the file cannot be created; nothing is left behind then.
  static std::unique_ptr<IsoWriter> Create(const std::filesystem::path& file, bool use64BitData,
                                           std::string* error = nullptr);
  // Closes the file without a movie header when Close was not called.
  ~IsoWriter();
  IsoWriter(const IsoWriter&) = delete;
  IsoWriter& operator=(const IsoWriter&) = delete;

  // The movie timescale (mvhd); 1000 until set. Track durations in tkhd and edit lists use it.
  void SetTimeScale(uint32_t movieTimescale);

  // A new track whose sample description is a copy of sampleEntry, a whole sample entry box as
  // IsoTrack::GetSampleDescriptionEntry gives it. handlerType is four characters ("vide",
  // "soun", "sbtl" ...); language an ISO 639-2/T code ("und" when not three lower-case
  // letters). Ids count from 1. MP4_INVALID_TRACK_ID for a malformed entry or handler type, a
  // zero timescale, or a closed writer.
  MP4TrackId AddTrackFromSampleEntry(std::string_view handlerType, std::span<const uint8_t> sampleEntry,
                                     uint32_t timescale, std::string_view language = "und");
  // Appends a child box (whole, with its header) to the track's sample entry and grows the
  // entry's size; for boxes a source entry lacks. False for an unknown track or a malformed box.
  bool AppendSampleEntryChild(MP4TrackId track, std::span<const uint8_t> box);

  // A new sound track whose "ac-3" entry is built from the stream's parameters, for when no
  // source entry can be copied. The track timescale is the sampling rate.
  MP4TrackId AddAc3AudioTrack(uint32_t samplingRate, const Ac3SpecificBox& ac3, std::string_view language = "und");

  // Boxes some players need in a visual entry: the device UUID box, colour and pixel aspect.
  // Each is added only when the entry lacks one: a source's own colour and aspect describe its
  // pictures better than any default. False for an unknown or non-visual track, and for an entry
  // whose last bytes are no whole box (another layout, padding), where nothing can be appended.
  bool AddDeviceUuid(MP4TrackId track);
  bool AddColr(MP4TrackId track, uint16_t primaries, uint16_t transfer, uint16_t matrix);
  bool AddPixelAspectRatio(MP4TrackId track, uint32_t hSpacing, uint32_t vSpacing);
  // The pixel aspect the visual entry states (horizontal, vertical spacing); 1:1 when it states
  // none or a zero.
  std::pair<uint32_t, uint32_t> GetPixelAspectRatio(MP4TrackId track) const;
  // The channel count field of a sound entry.
  bool SetTrackAudioChannels(MP4TrackId track, uint16_t channels);

  // The media timescale (mdhd) in which the track's sample durations and offsets are given.
  bool SetTrackTimeScale(MP4TrackId track, uint32_t timescale);
  // The duration WriteSample uses when given MP4_INVALID_DURATION.
  bool SetTrackFixedSampleDuration(MP4TrackId track, MP4Duration duration);
  // The presentation size in tkhd. A visual track starts with the size its sample entry states.
  bool SetTrackVideoSize(MP4TrackId track, uint16_t width, uint16_t height);
  // Appends an edit: mediaTime in track timescale units (-1 for an empty edit), the segment's
  // duration in movie timescale units. With edits the track's tkhd duration is their sum.
  bool AddEditList(MP4TrackId track, int64_t mediaTime, MP4Duration segmentDuration);

  // Appends one sample to the media data; duration and renderingOffset are in the track
  // timescale, duration MP4_INVALID_DURATION for the track's fixed sample duration.
  bool WriteSample(MP4TrackId track, std::span<const uint8_t> bytes, MP4Duration duration, int64_t renderingOffset,
                   bool isSyncSample, std::string* error = nullptr);

  // Writes the movie header after the media data, completes the media data's size, flushes,
  // syncs and closes the file. False with error set when any step failed (the file is left as
  // far as it got) and when called a second time.
  bool Close(std::string* error = nullptr);

private:
  struct Impl;
  explicit IsoWriter(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace korvel::iso
