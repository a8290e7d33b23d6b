#include "mp4/iso/iso_track_impl.h"

#include <algorithm>
#include <limits>

namespace korvel::iso {
namespace {

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// A sample larger than this is a damaged size field, not something to allocate.
constexpr uint32_t kMaxSampleBytes = 256u << 20;

}  // namespace

IsoTrackImpl::IsoTrackImpl(const ByteSource& source, TrackHeader header, MediaHeader media, BoxType handler,
                           SampleEntryInfo entry, SampleTable table)
    : source_(source),
      header_(header),
      media_(std::move(media)),
      handler_(handler),
      entry_(std::move(entry)),
      table_(std::move(table)) {}

std::unique_ptr<IsoTrackImpl> IsoTrackImpl::Parse(const Box& trak, const ByteSource& source, BoxWalkState& walk,
                                                  std::string* error) {
  const auto missing = [&](const char* what) {
    SetError(error, "the track at offset " + std::to_string(trak.fileOffset) + " has no '" + what + "' box");
    return nullptr;
  };
  const Box* tkhd = trak.Child(MakeBoxType("tkhd"));
  if (!tkhd) return missing("tkhd");
  const auto header = ParseTkhd(tkhd->payload, error);
  if (!header) return nullptr;
  if (header->trackId == MP4_INVALID_TRACK_ID) {
    SetError(error, "the track at offset " + std::to_string(trak.fileOffset) + " has track id 0");
    return nullptr;
  }
  const Box* mdia = trak.Child(MakeBoxType("mdia"));
  if (!mdia) return missing("mdia");
  const Box* mdhd = mdia->Child(MakeBoxType("mdhd"));
  if (!mdhd) return missing("mdhd");
  const auto media = ParseMdhd(mdhd->payload, error);
  if (!media) return nullptr;
  const Box* hdlr = mdia->Child(MakeBoxType("hdlr"));
  if (!hdlr) return missing("hdlr");
  const auto handler = ParseHdlr(hdlr->payload);
  if (!handler) {
    SetError(error, "the handler box 'hdlr' of track " + std::to_string(header->trackId) + " is too short");
    return nullptr;
  }
  const Box* minf = mdia->Child(MakeBoxType("minf"));
  if (!minf) return missing("minf");
  const Box* stbl = minf->Child(MakeBoxType("stbl"));
  if (!stbl) return missing("stbl");
  const Box* stsd = stbl->Child(MakeBoxType("stsd"));
  if (!stsd) return missing("stsd");

  const std::string prefix = "track " + std::to_string(header->trackId) + ": ";
  std::string detail;
  auto entry = ParseSampleDescription(stsd->payload, stsd->fileOffset + 8, *handler, walk, &detail);
  if (!entry) {
    SetError(error, prefix + detail);
    return nullptr;
  }
  SampleTableBoxes boxes;
  const auto payloadOf = [&](const char (&type)[5]) -> std::optional<ByteView> {
    const Box* box = stbl->Child(MakeBoxType(type));
    if (!box) return std::nullopt;
    return box->payload;
  };
  boxes.stts = payloadOf("stts");
  boxes.ctts = payloadOf("ctts");
  boxes.stss = payloadOf("stss");
  boxes.stsz = payloadOf("stsz");
  boxes.stz2 = payloadOf("stz2");
  boxes.stsc = payloadOf("stsc");
  boxes.stco = payloadOf("stco");
  boxes.co64 = payloadOf("co64");
  auto table = SampleTable::Build(boxes, &detail);
  if (!table) {
    SetError(error, prefix + detail);
    return nullptr;
  }
  return std::unique_ptr<IsoTrackImpl>(
      new IsoTrackImpl(source, *header, *media, *handler, std::move(*entry), std::move(*table)));
}

std::string IsoTrackImpl::GetMediaDataName() const {
  return entry_.format == 0 ? std::string() : BoxTypeChars(entry_.format);
}

MP4Duration IsoTrackImpl::GetFixedSampleDuration() const {
  const auto fixed = table_.FixedDuration();
  return fixed ? *fixed : MP4_INVALID_DURATION;
}

uint32_t IsoTrackImpl::GetBitRate() const {
  if (entry_.esdsAvgBitrate != 0) return entry_.esdsAvgBitrate;
  const uint64_t duration = table_.TotalDuration() ? table_.TotalDuration() : media_.duration;
  if (duration == 0) return 0;
  // bits * timescale / duration; 2^64 bytes * 8 * 2^32 fits 128 bits.
  const unsigned __int128 rate =
      static_cast<unsigned __int128>(table_.TotalBytes()) * 8u * media_.timeScale / duration;
  return static_cast<uint32_t>(std::min<unsigned __int128>(rate, std::numeric_limits<uint32_t>::max()));
}

uint16_t IsoTrackImpl::GetVideoWidth() const {
  if (entry_.kind == EntryKind::Visual && entry_.width != 0) return entry_.width;
  if (entry_.kind == EntryKind::Audio) return 0;
  return static_cast<uint16_t>(header_.width >> 16);
}

uint16_t IsoTrackImpl::GetVideoHeight() const {
  if (entry_.kind == EntryKind::Visual && entry_.height != 0) return entry_.height;
  if (entry_.kind == EntryKind::Audio) return 0;
  return static_cast<uint16_t>(header_.height >> 16);
}

double IsoTrackImpl::GetVideoFrameRate() const {
  const uint64_t duration = table_.TotalDuration();
  if (table_.Count() == 0 || duration == 0 || media_.timeScale == 0) return 0.0;
  return static_cast<double>(table_.Count()) * media_.timeScale / static_cast<double>(duration);
}

int32_t IsoTrackImpl::GetAudioChannels() const { return entry_.kind == EntryKind::Audio ? entry_.channels : 0; }

bool IsoTrackImpl::ReadSample(MP4SampleId id, MP4Sample& sample, std::string* error) const {
  if (!Valid(id)) {
    SetError(error, "track " + std::to_string(header_.trackId) + " has no sample " + std::to_string(id));
    return false;
  }
  const uint32_t index = id - 1;
  const uint32_t size = table_.Size(index);
  const auto offset = table_.Offset(index);
  // Only a failure needs the sample's name; the copy loop reads every sample through here.
  const auto name = [&] { return "sample " + std::to_string(id) + " of track " + std::to_string(header_.trackId); };
  if (!offset || *offset > source_.Size() || size > source_.Size() - *offset) {
    SetError(error, name() + " lies past the end of the file");
    return false;
  }
  if (size > kMaxSampleBytes) {
    SetError(error, name() + " claims " + std::to_string(size) + " bytes");
    return false;
  }
  sample.bytes.resize(size);
  std::string detail;
  if (!source_.ReadAt(*offset, sample.bytes, &detail)) {
    SetError(error, name() + ": " + detail);
    return false;
  }
  sample.startTime = table_.Time(index);
  sample.duration = table_.Duration(index);
  sample.renderingOffset = table_.RenderingOffset(index);
  sample.isSyncSample = table_.IsSync(index);
  return true;
}

MP4Timestamp IsoTrackImpl::GetSampleTime(MP4SampleId id) const { return Valid(id) ? table_.Time(id - 1) : 0; }

MP4Duration IsoTrackImpl::GetSampleDuration(MP4SampleId id) const {
  return Valid(id) ? table_.Duration(id - 1) : 0;
}

int64_t IsoTrackImpl::GetSampleRenderingOffset(MP4SampleId id) const {
  return Valid(id) ? table_.RenderingOffset(id - 1) : 0;
}

bool IsoTrackImpl::GetSampleSync(MP4SampleId id) const { return Valid(id) && table_.IsSync(id - 1); }

uint32_t IsoTrackImpl::GetSampleSize(MP4SampleId id) const { return Valid(id) ? table_.Size(id - 1) : 0; }

MP4SampleId IsoTrackImpl::GetSampleIdFromTime(MP4Timestamp time, bool wantSync) const {
  auto index = table_.IndexAtTime(time);
  if (index && wantSync) index = table_.SyncAtOrBefore(*index);
  return index ? *index + 1 : MP4_INVALID_SAMPLE_ID;
}

}  // namespace korvel::iso
