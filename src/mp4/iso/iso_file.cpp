#include "mp4/iso/iso_file.h"

#include <algorithm>
#include <limits>

#include "mp4/iso/box_reader.h"
#include "mp4/iso/byte_source.h"
#include "mp4/iso/header_boxes.h"
#include "mp4/iso/iso_track_impl.h"

namespace korvel::iso {
namespace {

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// The movie box is read whole; one far beyond what hours of video need is a damaged size.
constexpr uint64_t kMaxMovieBoxBytes = 1ull << 30;
// Brands past this are not worth keeping.
constexpr uint64_t kMaxFileTypeBytes = 4096;
// A file made of millions of tiny top-level boxes would take a read each; stop early.
constexpr size_t kMaxTopLevelBoxes = 100000;

}  // namespace

struct IsoFile::Impl {
  std::unique_ptr<ByteSource> source;
  std::string majorBrand;
  std::vector<std::string> compatibleBrands;
  MovieHeader movie;
  bool fragmented = false;
  std::vector<std::unique_ptr<IsoTrackImpl>> tracks;

  bool Parse(std::string* error);
  bool ParseFileType(ByteView payload);
  bool ParseMovie(ByteView payload, uint64_t fileOffset, std::string* error);
};

bool IsoFile::Impl::ParseFileType(ByteView payload) {
  const auto major = payload.U32BE(0);
  if (!major) return false;
  majorBrand = BoxTypeChars(*major);
  // The minor version sits between the major brand and the list.
  for (size_t pos = 8; payload.Has(pos, 4); pos += 4) compatibleBrands.push_back(BoxTypeChars(*payload.U32BE(pos)));
  return true;
}

bool IsoFile::Impl::ParseMovie(ByteView payload, uint64_t fileOffset, std::string* error) {
  BoxWalkState walk;
  std::vector<Box> children;
  if (!ParseBoxes(payload, fileOffset, 1, walk, children, error)) return false;
  Box moov;
  moov.type = MakeBoxType("moov");
  moov.payload = payload;
  moov.children = std::move(children);
  const Box* mvhd = moov.Child(MakeBoxType("mvhd"));
  if (!mvhd) {
    SetError(error, "the movie box has no movie header 'mvhd'");
    return false;
  }
  const auto header = ParseMvhd(mvhd->payload, error);
  if (!header) return false;
  movie = *header;
  fragmented = moov.Child(MakeBoxType("mvex")) != nullptr;
  for (const Box& box : moov.children) {
    if (box.type != MakeBoxType("trak")) continue;
    auto track = IsoTrackImpl::Parse(box, *source, walk, error);
    if (!track) return false;
    if (track->GetTimeScale() == 0) {
      SetError(error, "track " + std::to_string(track->GetId()) + " has timescale 0");
      return false;
    }
    for (const auto& other : tracks) {
      if (other->GetId() == track->GetId()) {
        SetError(error, "two tracks have id " + std::to_string(track->GetId()));
        return false;
      }
    }
    tracks.push_back(std::move(track));
  }
  return true;
}

bool IsoFile::Impl::Parse(std::string* error) {
  const uint64_t fileSize = source->Size();
  uint64_t pos = 0;
  size_t count = 0;
  bool haveMovie = false;
  // Fewer than 8 bytes at the end cannot be a box; some writers pad files with zeros.
  while (fileSize - pos >= 8) {
    if (++count > kMaxTopLevelBoxes) {
      SetError(error, "more than " + std::to_string(kMaxTopLevelBoxes) + " top-level boxes");
      return false;
    }
    std::vector<uint8_t> head(static_cast<size_t>(std::min<uint64_t>(kMaxBoxHeader, fileSize - pos)));
    if (!source->ReadAt(pos, head, error)) return false;
    BoxHeader header;
    if (!ParseBoxHeader(ByteView(head), fileSize - pos, pos, header, error)) return false;
    const uint64_t payloadSize = header.size - header.headerSize;
    const uint64_t payloadAt = pos + header.headerSize;
    if (header.type == MakeBoxType("ftyp") && majorBrand.empty()) {
      std::vector<uint8_t> payload(static_cast<size_t>(std::min(payloadSize, kMaxFileTypeBytes)));
      if (!source->ReadAt(payloadAt, payload, error)) return false;
      if (!ParseFileType(ByteView(payload))) {
        SetError(error, "the file type box 'ftyp' is too short");
        return false;
      }
    } else if (header.type == MakeBoxType("moov") && !haveMovie) {
      if (payloadSize > kMaxMovieBoxBytes) {
        SetError(error, "the movie box holds " + std::to_string(payloadSize) + " bytes, more than a movie needs");
        return false;
      }
      std::vector<uint8_t> payload(static_cast<size_t>(payloadSize));
      if (!source->ReadAt(payloadAt, payload, error)) return false;
      if (!ParseMovie(ByteView(payload), payloadAt, error)) return false;
      haveMovie = true;
    }
    pos += header.size;
  }
  if (!haveMovie) {
    SetError(error, "the file has no movie box 'moov'");
    return false;
  }
  return true;
}

IsoFile::IsoFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
IsoFile::~IsoFile() = default;

std::unique_ptr<IsoFile> IsoFile::Read(const std::filesystem::path& file, std::string* error) {
  auto impl = std::make_unique<Impl>();
  std::string detail;
  impl->source = OpenFileSource(file, &detail);
  if (!impl->source || !impl->Parse(&detail)) {
    SetError(error, file.string() + ": " + detail);
    return nullptr;
  }
  return std::unique_ptr<IsoFile>(new IsoFile(std::move(impl)));
}

std::unique_ptr<IsoFile> IsoFile::ReadMemory(std::vector<uint8_t> bytes, std::string* error) {
  auto impl = std::make_unique<Impl>();
  impl->source = MakeMemorySource(std::move(bytes));
  if (!impl->Parse(error)) return nullptr;
  return std::unique_ptr<IsoFile>(new IsoFile(std::move(impl)));
}

std::string IsoFile::MajorBrand() const { return impl_->majorBrand; }
std::vector<std::string> IsoFile::CompatibleBrands() const { return impl_->compatibleBrands; }
uint32_t IsoFile::GetTimeScale() const { return impl_->movie.timeScale; }
MP4Duration IsoFile::GetDuration() const { return impl_->movie.duration; }
bool IsoFile::IsFragmented() const { return impl_->fragmented; }
uint32_t IsoFile::GetNumberOfTracks() const { return static_cast<uint32_t>(impl_->tracks.size()); }

MP4TrackId IsoFile::FindTrackId(uint32_t index) const {
  return index < impl_->tracks.size() ? impl_->tracks[index]->GetId() : MP4_INVALID_TRACK_ID;
}

const IsoTrack* IsoFile::Track(MP4TrackId id) const {
  for (const auto& track : impl_->tracks) {
    if (track->GetId() == id) return track.get();
  }
  return nullptr;
}

uint64_t IsoFile::ConvertDuration(uint64_t value, uint32_t from, uint32_t to) {
  if (from == 0) return 0;
  const unsigned __int128 converted = static_cast<unsigned __int128>(value) * to / from;
  return static_cast<uint64_t>(std::min<unsigned __int128>(converted, std::numeric_limits<uint64_t>::max()));
}

}  // namespace korvel::iso
