#include "mp4/iso/iso_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <unistd.h>
#include <vector>

#include "base/byte_view.h"
#include "mp4/iso/box_writer.h"
#include "mp4/iso/sample_entry_boxes.h"
#include "mp4/iso/sample_table_builder.h"

namespace korvel::iso {
namespace {

// Samples are gathered into writes of this size; a larger sample goes out on its own. The
// buffer must stay within the processor's cache: the kernel copies it into the page cache, and
// from a buffer of several MiB that copy alone took twice as long as the whole join does now.
constexpr size_t kWriteBuffer = 256 << 10;
// Seconds from 1904-01-01, where the format's clock starts, to 1970-01-01.
constexpr uint64_t kEpochFrom1904 = 2082844800;
constexpr uint32_t kUnityMatrix[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};

bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what;
  return false;
}

bool IsFourCC(std::string_view chars) { return chars.size() == 4; }

// ISO 639-2/T: three lower-case letters, five bits each.
uint16_t PackLanguage(std::string_view language) {
  const bool valid = language.size() == 3 && std::ranges::all_of(language, [](char c) { return c >= 'a' && c <= 'z'; });
  const std::string_view code = valid ? language : "und";
  return static_cast<uint16_t>(((code[0] - 0x60) << 10) | ((code[1] - 0x60) << 5) | (code[2] - 0x60));
}

// A box as a whole: its 32-bit size equals its length and covers at least the header.
bool IsWholeBox(std::span<const uint8_t> box, size_t minimum) {
  const auto size = ByteView(box).U32BE(0);
  return box.size() >= minimum && size && *size == box.size();
}

void Matrix(BoxWriter& w) {
  for (uint32_t v : kUnityMatrix) w.U32(v);
}

// Version 1 of a header box carries 64-bit times; version 0 is kept whenever they fit.
bool Needs64(uint64_t value) { return value > std::numeric_limits<uint32_t>::max(); }

// The creation and modification times of a header box, 64 or 32 bits wide.
void Times(BoxWriter& w, bool large, uint64_t now) {
  for (int i = 0; i < 2; ++i) large ? w.U64(now) : w.U32(static_cast<uint32_t>(now));
}

void Duration(BoxWriter& w, bool large, uint64_t duration) {
  large ? w.U64(duration) : w.U32(static_cast<uint32_t>(duration));
}

struct Edit {
  int64_t mediaTime;
  uint64_t segmentDuration;
};

struct Track {
  MP4TrackId id = 0;
  std::string handlerType;
  std::vector<uint8_t> sampleEntry;
  uint32_t timescale = 0;
  uint16_t language = 0;
  MP4Duration fixedSampleDuration = MP4_INVALID_DURATION;
  uint16_t width = 0;
  uint16_t height = 0;
  std::vector<Edit> edits;
  SampleTableBuilder table;
};

// The file: sequential appends through a buffer, plus the one patch of the media data size.
class OutputFile {
public:
  OutputFile(std::filesystem::path path, int fd) : path_(std::move(path)), fd_(fd) { buffer_.reserve(kWriteBuffer); }
  ~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
  }

  uint64_t Position() const { return written_ + buffer_.size(); }

  bool Append(std::span<const uint8_t> bytes) {
    if (buffer_.size() + bytes.size() > kWriteBuffer && !Flush()) return false;
    if (bytes.size() >= kWriteBuffer) {
      if (!WriteAll(bytes)) return false;
      written_ += bytes.size();
      return true;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    return true;
  }

  bool Flush() {
    if (!WriteAll(buffer_)) return false;
    written_ += buffer_.size();
    buffer_.clear();
    return true;
  }

  bool PatchAt(uint64_t offset, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Failed("cannot write");
      bytes = bytes.subspan(static_cast<size_t>(n));
      offset += static_cast<uint64_t>(n);
    }
    return true;
  }

  bool SyncAndClose() {
    const bool synced = ::fsync(fd_) == 0 || Failed("cannot sync");
    const int fd = fd_;
    fd_ = -1;
    const bool closed = ::close(fd) == 0 || Failed("cannot close");
    return synced && closed;
  }

  const std::string& error() const { return error_; }

private:
  bool WriteAll(std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return Failed("cannot write");
      if (n == 0) {
        errno = ENOSPC;
        return Failed("cannot write");
      }
      bytes = bytes.subspan(static_cast<size_t>(n));
    }
    return true;
  }

  bool Failed(const std::string& what) {
    // The first failure is the one worth reporting; later ones follow from it.
    if (error_.empty()) error_ = what + " " + path_.string() + ": " + std::strerror(errno);
    return false;
  }

  std::filesystem::path path_;
  int fd_;
  std::vector<uint8_t> buffer_;
  uint64_t written_ = 0;
  std::string error_;
};

}  // namespace

struct IsoWriter::Impl {
  std::unique_ptr<OutputFile> file;
  bool use64BitData = false;
  uint64_t mdatStart = 0;
  uint32_t movieTimescale = 1000;
  uint64_t creationTime = 0;
  std::vector<Track> tracks;
  bool closed = false;
  std::string failure;  // set once a sample could not be written; every later write refuses

  Track* Find(MP4TrackId id) {
    if (closed || id == MP4_INVALID_TRACK_ID || id > tracks.size()) return nullptr;
    return &tracks[id - 1];
  }

  uint64_t MediaHeaderSize() const { return use64BitData ? 16 : 8; }

  void WriteFileType(BoxWriter& w) const;
  void WriteMediaDataHeader(BoxWriter& w) const;
  // Empty when the movie header would not fit its 32-bit box size.
  std::vector<uint8_t> BuildMovie() const;
  uint64_t TrackDurationInMovie(const Track& t) const;
  void WriteTrack(BoxWriter& w, const Track& t) const;
  void WriteMedia(BoxWriter& w, const Track& t) const;
};

void IsoWriter::Impl::WriteFileType(BoxWriter& w) const {
  const size_t box = w.Begin("ftyp");
  w.FourCC("isom");
  w.U32(0x200);
  for (std::string_view brand : {"isom", "iso2", "mp41"}) w.FourCC(brand);
  w.End(box);
}

void IsoWriter::Impl::WriteMediaDataHeader(BoxWriter& w) const {
  // The real size is patched in by Close; size 1 announces the 64-bit size after the type.
  w.U32(use64BitData ? 1 : 0);
  w.FourCC("mdat");
  if (use64BitData) w.U64(0);
}

uint64_t IsoWriter::Impl::TrackDurationInMovie(const Track& t) const {
  if (!t.edits.empty()) {
    uint64_t sum = 0;
    for (const Edit& e : t.edits) sum += e.segmentDuration;
    return sum;
  }
  return IsoFile::ConvertDuration(t.table.TotalDuration(), t.timescale, movieTimescale);
}

std::vector<uint8_t> IsoWriter::Impl::BuildMovie() const {
  BoxWriter w;
  const size_t moov = w.Begin("moov");

  uint64_t duration = 0;
  for (const Track& t : tracks) duration = std::max(duration, TrackDurationInMovie(t));
  const bool large = Needs64(duration) || Needs64(creationTime);
  const size_t mvhd = w.BeginFull("mvhd", large ? 1 : 0, 0);
  Times(w, large, creationTime);
  w.U32(movieTimescale);
  Duration(w, large, duration);
  w.U32(0x00010000);  // rate 1.0
  w.U16(0x0100);      // volume 1.0
  w.Zeros(10);
  Matrix(w);
  w.Zeros(24);
  w.U32(static_cast<uint32_t>(tracks.size() + 1));  // next track id
  w.End(mvhd);

  for (const Track& t : tracks) WriteTrack(w, t);
  w.End(moov);
  return w.Overflowed() ? std::vector<uint8_t>() : w.Take();
}

void IsoWriter::Impl::WriteTrack(BoxWriter& w, const Track& t) const {
  const size_t trak = w.Begin("trak");

  const uint64_t duration = TrackDurationInMovie(t);
  const bool large = Needs64(duration) || Needs64(creationTime);
  const size_t tkhd = w.BeginFull("tkhd", large ? 1 : 0, 0x3);  // enabled, in the movie
  Times(w, large, creationTime);
  w.U32(t.id);
  w.U32(0);
  Duration(w, large, duration);
  w.Zeros(8);
  w.U16(0);                                      // layer
  w.U16(0);                                      // alternate group
  w.U16(t.handlerType == "soun" ? 0x0100 : 0);  // volume
  w.U16(0);
  Matrix(w);
  w.U32(static_cast<uint32_t>(t.width) << 16);  // 16.16 fixed point
  w.U32(static_cast<uint32_t>(t.height) << 16);
  w.End(tkhd);

  if (!t.edits.empty()) {
    const size_t edts = w.Begin("edts");
    const bool wide = std::ranges::any_of(t.edits, [](const Edit& e) {
      return Needs64(e.segmentDuration) || e.mediaTime > std::numeric_limits<int32_t>::max();
    });
    const size_t elst = w.BeginFull("elst", wide ? 1 : 0, 0);
    w.U32(static_cast<uint32_t>(t.edits.size()));
    for (const Edit& e : t.edits) {
      if (wide) {
        w.U64(e.segmentDuration);
        w.I64(e.mediaTime);
      } else {
        w.U32(static_cast<uint32_t>(e.segmentDuration));
        w.I32(static_cast<int32_t>(e.mediaTime));
      }
      w.U16(1);  // media rate 1.0
      w.U16(0);
    }
    w.End(elst);
    w.End(edts);
  }

  WriteMedia(w, t);
  w.End(trak);
}

void IsoWriter::Impl::WriteMedia(BoxWriter& w, const Track& t) const {
  const size_t mdia = w.Begin("mdia");

  const uint64_t duration = t.table.TotalDuration();
  const bool large = Needs64(duration) || Needs64(creationTime);
  const size_t mdhd = w.BeginFull("mdhd", large ? 1 : 0, 0);
  Times(w, large, creationTime);
  w.U32(t.timescale);
  Duration(w, large, duration);
  w.U16(t.language);
  w.U16(0);
  w.End(mdhd);

  const size_t hdlr = w.BeginFull("hdlr", 0, 0);
  w.U32(0);
  w.FourCC(t.handlerType);
  w.Zeros(12);
  w.CString(t.handlerType == "vide" ? "VideoHandler" : t.handlerType == "soun" ? "SoundHandler" : "DataHandler");
  w.End(hdlr);

  const size_t minf = w.Begin("minf");
  if (t.handlerType == "vide") {
    const size_t vmhd = w.BeginFull("vmhd", 0, 1);
    w.Zeros(8);  // graphics mode copy, no opcolor
    w.End(vmhd);
  } else if (t.handlerType == "soun") {
    const size_t smhd = w.BeginFull("smhd", 0, 0);
    w.Zeros(4);  // centred balance
    w.End(smhd);
  } else {
    w.End(w.BeginFull("nmhd", 0, 0));
  }

  const size_t dinf = w.Begin("dinf");
  const size_t dref = w.BeginFull("dref", 0, 0);
  w.U32(1);
  w.End(w.BeginFull("url ", 0, 1));  // flag 1: the media data is in this file
  w.End(dref);
  w.End(dinf);

  const size_t stbl = w.Begin("stbl");
  const size_t stsd = w.BeginFull("stsd", 0, 0);
  w.U32(1);
  w.Bytes(t.sampleEntry);
  w.End(stsd);
  t.table.WriteBoxes(w);
  w.End(stbl);

  w.End(minf);
  w.End(mdia);
}

IsoWriter::IsoWriter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
IsoWriter::~IsoWriter() = default;

std::unique_ptr<IsoWriter> IsoWriter::Create(const std::filesystem::path& file, bool use64BitData, std::string* error) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    Fail(error, "cannot create " + file.string() + ": " + std::strerror(errno));
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->file = std::make_unique<OutputFile>(file, fd);
  impl->use64BitData = use64BitData;
  impl->creationTime = static_cast<uint64_t>(std::time(nullptr)) + kEpochFrom1904;
  BoxWriter header;
  impl->WriteFileType(header);
  impl->mdatStart = header.bytes().size();
  impl->WriteMediaDataHeader(header);
  // Buffered, so it cannot fail here: a Create that returns a writer has nothing to undo.
  impl->file->Append(header.bytes());
  return std::unique_ptr<IsoWriter>(new IsoWriter(std::move(impl)));
}

void IsoWriter::SetTimeScale(uint32_t movieTimescale) {
  if (movieTimescale != 0) impl_->movieTimescale = movieTimescale;
}

MP4TrackId IsoWriter::AddTrackFromSampleEntry(std::string_view handlerType, std::span<const uint8_t> sampleEntry,
                                              uint32_t timescale, std::string_view language) {
  // A sample entry holds at least its header, six reserved bytes and the data reference index.
  if (impl_->closed || !IsFourCC(handlerType) || !IsWholeBox(sampleEntry, 16) || timescale == 0)
    return MP4_INVALID_TRACK_ID;
  Track& t = impl_->tracks.emplace_back();
  t.id = static_cast<MP4TrackId>(impl_->tracks.size());
  t.handlerType = std::string(handlerType);
  t.sampleEntry.assign(sampleEntry.begin(), sampleEntry.end());
  t.timescale = timescale;
  t.language = PackLanguage(language);
  if (handlerType == "vide") {
    // A visual sample entry states the coded size right after its 16 reserved bytes.
    const ByteView entry(sampleEntry);
    t.width = entry.U16BE(32).value_or(0);
    t.height = entry.U16BE(34).value_or(0);
  }
  return t.id;
}

bool IsoWriter::AppendSampleEntryChild(MP4TrackId track, std::span<const uint8_t> box) {
  Track* t = impl_->Find(track);
  if (!t || !IsWholeBox(box, 8)) return false;
  const uint64_t size = t->sampleEntry.size() + box.size();
  if (Needs64(size)) return false;
  t->sampleEntry.insert(t->sampleEntry.end(), box.begin(), box.end());
  StoreU32(t->sampleEntry.data(), static_cast<uint32_t>(size));
  return true;
}

MP4TrackId IsoWriter::AddAc3AudioTrack(uint32_t samplingRate, const Ac3SpecificBox& ac3, std::string_view language) {
  return AddTrackFromSampleEntry("soun", MakeAc3SampleEntry(samplingRate, ac3), samplingRate, language);
}

bool IsoWriter::AddDeviceUuid(MP4TrackId track) {
  const Track* t = impl_->Find(track);
  if (!t || t->handlerType != "vide" || !EntryChildrenFillEntry(t->sampleEntry, EntryKind::Visual)) return false;
  if (FindEntryChild(t->sampleEntry, EntryKind::Visual, MakeBoxType("uuid"), kDeviceUuid)) return true;
  return AppendSampleEntryChild(track, MakeDeviceUuidBox());
}

bool IsoWriter::AddColr(MP4TrackId track, uint16_t primaries, uint16_t transfer, uint16_t matrix) {
  const Track* t = impl_->Find(track);
  if (!t || t->handlerType != "vide" || !EntryChildrenFillEntry(t->sampleEntry, EntryKind::Visual)) return false;
  if (FindEntryChild(t->sampleEntry, EntryKind::Visual, MakeBoxType("colr"))) return true;
  return AppendSampleEntryChild(track, MakeColourBox(primaries, transfer, matrix));
}

bool IsoWriter::AddPixelAspectRatio(MP4TrackId track, uint32_t hSpacing, uint32_t vSpacing) {
  const Track* t = impl_->Find(track);
  if (!t || t->handlerType != "vide" || !EntryChildrenFillEntry(t->sampleEntry, EntryKind::Visual)) return false;
  if (FindEntryChild(t->sampleEntry, EntryKind::Visual, MakeBoxType("pasp"))) return true;
  return AppendSampleEntryChild(track, MakePixelAspectBox(hSpacing, vSpacing));
}

std::pair<uint32_t, uint32_t> IsoWriter::GetPixelAspectRatio(MP4TrackId track) const {
  const Track* t = impl_->Find(track);
  const auto pasp = t ? FindEntryChild(t->sampleEntry, EntryKind::Visual, MakeBoxType("pasp")) : std::nullopt;
  const uint32_t h = pasp ? pasp->U32BE(0).value_or(0) : 0;
  const uint32_t v = pasp ? pasp->U32BE(4).value_or(0) : 0;
  if (h == 0 || v == 0) return {1, 1};
  return {h, v};
}

bool IsoWriter::SetTrackAudioChannels(MP4TrackId track, uint16_t channels) {
  Track* t = impl_->Find(track);
  return t && t->handlerType == "soun" && SetEntryChannelCount(t->sampleEntry, channels);
}

bool IsoWriter::SetTrackTimeScale(MP4TrackId track, uint32_t timescale) {
  Track* t = impl_->Find(track);
  if (!t || timescale == 0) return false;
  t->timescale = timescale;
  return true;
}

bool IsoWriter::SetTrackFixedSampleDuration(MP4TrackId track, MP4Duration duration) {
  Track* t = impl_->Find(track);
  if (!t) return false;
  t->fixedSampleDuration = duration;
  return true;
}

bool IsoWriter::SetTrackVideoSize(MP4TrackId track, uint16_t width, uint16_t height) {
  Track* t = impl_->Find(track);
  if (!t) return false;
  t->width = width;
  t->height = height;
  return true;
}

bool IsoWriter::AddEditList(MP4TrackId track, int64_t mediaTime, MP4Duration segmentDuration) {
  Track* t = impl_->Find(track);
  if (!t || mediaTime < -1) return false;
  t->edits.push_back({mediaTime, segmentDuration});
  return true;
}

bool IsoWriter::WriteSample(MP4TrackId track, std::span<const uint8_t> bytes, MP4Duration duration,
                            int64_t renderingOffset, bool isSyncSample, std::string* error) {
  if (impl_->closed) return Fail(error, "the file is closed");
  if (!impl_->failure.empty()) return Fail(error, impl_->failure);
  Track* t = impl_->Find(track);
  if (!t) return Fail(error, "no track " + std::to_string(track));
  if (duration == MP4_INVALID_DURATION) duration = t->fixedSampleDuration;
  if (duration == MP4_INVALID_DURATION) return Fail(error, "a sample without duration in a track without a fixed one");
  if (Needs64(bytes.size())) return Fail(error, "a sample of " + std::to_string(bytes.size()) + " bytes is too large");

  OutputFile& file = *impl_->file;
  const uint64_t offset = file.Position();
  if (!impl_->use64BitData && Needs64(offset + bytes.size() - impl_->mdatStart))
    return Fail(error, "the media data would exceed 4 GiB in a file created without 64-bit data");
  // Recorded first: a refused value must not leave bytes behind that no table describes.
  if (!t->table.Add(offset, static_cast<uint32_t>(bytes.size()), duration, renderingOffset, isSyncSample, error))
    return false;
  if (!file.Append(bytes)) {
    impl_->failure = file.error();
    return Fail(error, impl_->failure);
  }
  return true;
}

bool IsoWriter::Close(std::string* error) {
  if (impl_->closed) return Fail(error, "the file is already closed");
  impl_->closed = true;
  OutputFile& file = *impl_->file;
  if (!impl_->failure.empty()) {
    file.SyncAndClose();
    return Fail(error, impl_->failure);
  }

  const std::vector<uint8_t> movie = impl_->BuildMovie();
  if (movie.empty()) {
    file.SyncAndClose();
    return Fail(error, "the movie header of " + std::to_string(impl_->tracks.size()) + " tracks is too large");
  }
  const uint64_t mdatSize = file.Position() - impl_->mdatStart;
  BoxWriter size;
  impl_->use64BitData ? size.U64(mdatSize) : size.U32(static_cast<uint32_t>(mdatSize));
  const uint64_t sizeAt = impl_->mdatStart + (impl_->use64BitData ? 8 : 0);

  const bool ok = file.Append(movie) && file.Flush() && file.PatchAt(sizeAt, size.bytes());
  const bool closed = file.SyncAndClose();
  if (!ok || !closed) return Fail(error, file.error());
  return true;
}

}  // namespace korvel::iso
