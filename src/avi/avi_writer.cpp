#include "avi/avi_writer.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "avi/avi_fourcc.h"
#include "base/riff_chunk.h"

namespace korvel {
namespace {

constexpr uint32_t kOdmlHeaderSize = 256;
constexpr uint64_t kRingSize = 0x100000;
constexpr uint64_t kBlockSize = 0x40000;
constexpr uint32_t kMostStreams = 256;  // two hexadecimal digits in the chunk ids
// "RIFF" size "AVIX" "LIST" size "movi" in front of every later segment's chunks.
constexpr uint64_t kLaterSegmentHeaderSize = 24;
// What a chunk counts against its segment beyond its padded data: its header and its entry
// in an index.
constexpr uint64_t kChunkOverhead = 16;
// A standard index chunk beyond its entries: chunk header, index header, and the segment
// header it may have to start.
constexpr uint64_t kStandardIndexOverhead = kRiffChunkHeaderSize + kStandardIndexHeaderSize + kLaterSegmentHeaderSize;

uint64_t Padded(uint64_t size) { return size + (size & 1u); }

uint64_t Idx1Size(uint64_t chunks) { return kRiffChunkHeaderSize + chunks * kIdx1EntrySize; }

int64_t RoundedRatio(double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<int64_t>(std::floor(value + 0.5));
}

}  // namespace

void TAVIOutStmBase::SetHeader(const AviStreamHeader& header) {
  header_ = header;
  header_.dwLength = 0;
  header_.dwSuggestedBufferSize = 0;
}

int64_t TAVIOutStmBase::TimeToSample(int64_t ms) const {
  if (header_.dwScale == 0) return 0;
  return RoundedRatio(static_cast<double>(ms) * header_.dwRate / header_.dwScale * 0.001);
}

int64_t TAVIOutStmBase::SampleToTime(int64_t sample) const {
  if (header_.dwRate == 0) return 0;
  return RoundedRatio(static_cast<double>(sample) * header_.dwScale / header_.dwRate * 1000.0);
}

bool TAVIOutStream::Write(uint32_t flags, const void* data, uint32_t bytes, uint32_t samples) {
  if (!file_.WriteChunk(index_, flags, data, bytes)) return false;
  header_.dwSuggestedBufferSize = std::max(header_.dwSuggestedBufferSize, bytes);
  header_.dwLength = ClampTo32(uint64_t{header_.dwLength} + samples);
  return true;
}

TAVIOutFile::TAVIOutFile(const AviWriterLimits& limits) : limits_(limits) {
  limits_.firstSegment = std::max<uint64_t>(limits_.firstSegment, 1);
  limits_.laterSegment = std::max<uint64_t>(limits_.laterSegment, 1);
  limits_.superIndexEntries = std::max<uint32_t>(limits_.superIndexEntries, 1);
  limits_.largestStandardIndex = std::max<uint32_t>(limits_.largestStandardIndex, 1);
}

TAVIOutFile::~TAVIOutFile() {
  if (open_) Finalize();
}

std::string TAVIOutFile::ErrorText() const {
  std::lock_guard guard(lock_);
  return errorText_;
}

TAVIOutStream* TAVIOutFile::CreateStream(const AviStreamInfo& info, std::span<const uint8_t> format) {
  std::lock_guard guard(lock_);
  const bool video = info.fccType == kStreamTypeVideo;
  if (open_ || file_ || streams_.size() >= kMostStreams || (!video && info.fccType != kStreamTypeAudio)) return nullptr;
  if (format.size() < (video ? kBitmapInfoHeaderSize : kWaveFormatSize)) return nullptr;

  AviStreamHeader header = StreamHeaderFromInfo(info);
  std::vector<uint8_t> ownFormat(format.begin(), format.end());
  if (video) {
    // A file that starts with one initial frame is not what an interleaved copy produces.
    if (header.dwInitialFrames == 1) header.dwInitialFrames = 0;
    RepairDivxFormat(header, ownFormat);
  }
  const auto number = static_cast<uint32_t>(streams_.size());
  TAVIOutStmInfo entry;
  entry.stream = std::make_unique<TAVIOutStream>(*this, number);
  entry.video = video;
  entry.chunkId = StreamChunkId(number, video, video ? ReadVideoFormat(ownFormat).biCompression : 0);
  entry.stream->SetFormat(ownFormat);
  entry.stream->SetHeader(header);
  if (video && !firstVideo_) firstVideo_ = streams_.size();
  streams_.push_back(std::move(entry));
  return streams_.back().stream.get();
}

HRESULT TAVIOutFile::Init(const std::filesystem::path& file) {
  std::lock_guard guard(lock_);
  if (open_ || file_) {
    errorText_ = "the output file was already started";
    return kFileAsyncFailed;
  }
  if (streams_.empty()) {
    errorText_ = "no stream to write";
    return kAviWriterNoStreams;
  }
  mainHeader_ = {};
  mainHeader_.dwFlags = kAvifHasIndex | kAvifIsInterleaved;
  mainHeader_.dwStreams = static_cast<uint32_t>(streams_.size());
  if (firstVideo_) {
    const TAVIOutStream& video = *streams_[*firstVideo_].stream;
    const AviStreamHeader& h = video.GetHeader();
    if (h.dwRate != 0) mainHeader_.dwMicroSecPerFrame = ClampTo32(uint64_t{h.dwScale} * 1000000u / h.dwRate);
    const VideoFormatFields format = ReadVideoFormat(video.GetFormat());
    mainHeader_.dwWidth = static_cast<uint32_t>(format.biWidth);
    mainHeader_.dwHeight = static_cast<uint32_t>(format.biHeight);
  }

  OpenedFileAsync opened = OpenFileAsync(file, kRingSize / kBlockSize, kBlockSize);
  if (!opened.file) {
    errorText_ = opened.errorText;
    return opened.result;
  }
  file_ = std::move(opened.file);
  file_->SetPreExtend(true);
  if (sizeLimit_ != UINT64_MAX) file_->SetSizeLimit(sizeLimit_);

  ComposeHeader();
  open_ = true;
  if (!Append(header_.Bytes().data(), header_.Bytes().size()) || !BeginSegment()) return kFileAsyncFailed;
  return S_OK;
}

void TAVIOutFile::ComposeHeader() {
  header_.BeginList(kFourCCRiff, kFormAvi);
  const size_t hdrl = header_.BeginList(kFourCCList, kListHeader);
  avihPosition_ = header_.AddChunk(kChunkMainHeader, MainHeaderBytes(mainHeader_));
  const std::vector<uint8_t> placeholder(SuperIndexBodySize(limits_.superIndexEntries), 0);
  for (TAVIOutStmInfo& info : streams_) {
    const size_t strl = header_.BeginList(kFourCCList, kListStream);
    info.strhPosition = header_.AddChunk(kChunkStreamHeader, StreamHeaderBytes(info.stream->GetHeader()));
    header_.AddChunk(kChunkStreamFormat, info.stream->GetFormat());
    // Room for the super index, should the file become OpenDML.
    info.superIndexPosition = header_.AddChunk(kChunkJunk, placeholder);
    header_.EndList(strl);
  }
  const size_t odml = header_.BeginList(kFourCCList, kListOdml);
  dmlhPosition_ = header_.AddChunk(kChunkOdmlHeader, std::vector<uint8_t>(kOdmlHeaderSize, 0));
  header_.EndList(odml);
  header_.EndList(hdrl);
}

bool TAVIOutFile::Append(const void* data, uint64_t size) {
  if (file_->Write(data, size) < 0) return Fail(file_->ErrorText());
  logicalSize_ += size;
  return true;
}

bool TAVIOutFile::AppendChunkHeader(FOURCC id, uint32_t size) {
  std::vector<uint8_t> bytes;
  AppendLE32(bytes, id);
  AppendLE32(bytes, size);
  return Append(bytes.data(), bytes.size());
}

bool TAVIOutFile::BeginSegment() {
  AVIBlock segment;
  std::vector<uint8_t> bytes;
  if (segments_.empty()) {
    segment.riffPosition = 0;
    segment.moviPosition = logicalSize_;
    // Sizes are placeholders until the segment is finished.
    AppendLE32(bytes, kFourCCList);
    AppendLE32(bytes, 0x7FFFFFFF);
    AppendLE32(bytes, kListMovie);
  } else {
    segment.riffPosition = logicalSize_;
    segment.moviPosition = logicalSize_ + 12;
    for (const FOURCC field : {kFourCCRiff, 0x7F000000u, kFormAvix, kFourCCList, 0x7F000000u, kListMovie})
      AppendLE32(bytes, field);
  }
  segments_.push_back(segment);
  return Append(bytes.data(), bytes.size());
}

bool TAVIOutFile::WriteIdx1() {
  if (!AppendChunkHeader(kChunkIdx1, ClampTo32(uint64_t{totalChunks_} * kIdx1EntrySize))) return false;
  const uint64_t moviCode = segments_.front().moviPosition + kRiffChunkHeaderSize;
  for (size_t begin = 0; begin < totalChunks_; begin += IndexEntryList::kBlockEntries) {
    const size_t end = std::min<size_t>(begin + IndexEntryList::kBlockEntries, totalChunks_);
    const auto batch = Idx1Entries(index_, begin, end, moviCode);
    if (!Append(batch.data(), batch.size())) return false;
  }
  return true;
}

bool TAVIOutFile::FinishSegment() {
  AVIBlock& segment = segments_.back();
  segment.moviSize = ClampTo32(logicalSize_ - segment.moviPosition - kRiffChunkHeaderSize);
  if (segmentsFinished_ == 0) {
    mainHeader_.dwTotalFrames = firstVideo_ ? streams_[*firstVideo_].stream->SamplesWritten() : 0;
    if (!WriteIdx1()) return false;
  }
  segment.riffSize = ClampTo32(logicalSize_ - segment.riffPosition - kRiffChunkHeaderSize);
  ++segmentsFinished_;
  segmentBytes_ = 0;
  return true;
}

uint64_t TAVIOutFile::SegmentLimit() const {
  return segmentsFinished_ == 0 ? limits_.firstSegment : limits_.laterSegment;
}

bool TAVIOutFile::NeedsNewSegment(uint64_t accountedBytes) const {
  // A chunk larger than a whole segment still goes into an empty one.
  return segmentBytes_ > 0 && segmentBytes_ + accountedBytes > SegmentLimit();
}

std::optional<AviEarlyEnd> TAVIOutFile::EarlyEndBefore(uint32_t stream, uint64_t paddedSize, bool newSegment) const {
  const bool firstSegmentOpen = segmentsFinished_ == 0;
  uint64_t position = logicalSize_;
  if (newSegment) position += (firstSegmentOpen ? Idx1Size(totalChunks_) : 0) + kLaterSegmentHeaderSize;

  // Everything Finalize may still add, with this chunk written.
  uint64_t allowance = (firstSegmentOpen && !newSegment) ? Idx1Size(uint64_t{totalChunks_} + 1) : 0;
  for (size_t s = 0; s < streams_.size(); ++s) {
    const TAVIOutStmInfo& info = streams_[s];
    const bool current = s == stream;
    const uint64_t count = uint64_t{info.chunkCount} + (current ? 1 : 0);
    if (count == 0) continue;
    const uint64_t first = info.chunkCount == 0 ? position : info.firstChunkPosition;
    const uint64_t span = (current ? position : info.latestChunkPosition) - first;
    const uint64_t perChunk = EntriesPerStandardIndex(count, limits_.superIndexEntries, limits_.largestStandardIndex);
    const uint64_t indexChunks = StandardIndexChunkBound(count, span, perChunk);
    if (indexChunks > limits_.superIndexEntries) return AviEarlyEnd::SuperIndexFull;
    allowance += indexChunks * kStandardIndexOverhead + count * kStandardIndexEntrySize;
  }
  const uint64_t limit = std::min(sizeLimit_, file_->DestinationIsFat() ? kAviFatSizeLimit : UINT64_MAX);
  if (position + kRiffChunkHeaderSize + paddedSize + allowance > limit) return AviEarlyEnd::SizeLimit;
  return std::nullopt;
}

bool TAVIOutFile::WriteChunk(uint32_t stream, uint32_t flags, const void* data, uint32_t size) {
  std::lock_guard guard(lock_);
  if (!open_) return Refuse(errorText_.empty() ? "the output file is not open" : errorText_);
  if (stream >= streams_.size()) return Refuse("no such output stream");
  if (size >= kIndexDeltaFrameBit) return Refuse("a chunk of 2 GiB or more cannot be indexed");

  const uint64_t padded = Padded(size);
  const bool newSegment = NeedsNewSegment(padded + kChunkOverhead);
  if (const auto early = EarlyEndBefore(stream, padded, newSegment)) {
    earlyEnd_ = *early;
    if (*early == AviEarlyEnd::SizeLimit) file_->MarkCutAtSizeLimit();
    const std::string reason =
        *early == AviEarlyEnd::SuperIndexFull ? "the stream's index reached its capacity"
        : file_->DestinationIsFat() && sizeLimit_ >= kAviFatSizeLimit
            ? "the output reached the 4 GiB limit of the FAT file system"
            : "the output reached its size limit";
    if (!FinalizeLocked()) return false;
    errorText_ = reason;
    return false;
  }
  if (newSegment && (!FinishSegment() || !BeginSegment())) return false;

  TAVIOutStmInfo& info = streams_[stream];
  if (info.chunkCount == 0) info.firstChunkPosition = logicalSize_;
  info.latestChunkPosition = logicalSize_;
  const bool key = (flags & kAviIndexKeyFrame) != 0;
  index_.Append({logicalSize_, info.chunkId, size | (key ? 0 : kIndexDeltaFrameBit)});
  ++info.chunkCount;
  ++totalChunks_;

  if (!AppendChunkHeader(info.chunkId, size)) return false;
  segmentBytes_ += padded + kChunkOverhead;
  if (!Append(data, size)) return false;
  static const uint8_t kPad = 0;
  return padded == size || Append(&kPad, 1);
}

bool TAVIOutFile::WriteStreamIndex(TAVIOutStmInfo& info) {
  std::vector<IndexEntry> entries;
  entries.reserve(info.chunkCount);
  for (size_t i = 0; i < index_.Size(); ++i)
    if (index_.At(i).chunkId == info.chunkId) entries.push_back(index_.At(i));
  const uint64_t perChunk =
      EntriesPerStandardIndex(entries.size(), limits_.superIndexEntries, limits_.largestStandardIndex);
  const auto groups = GroupStandardIndexEntries(entries, perChunk);
  if (groups.size() > limits_.superIndexEntries) return Fail("a stream's index outgrew its super index");

  const uint32_t streamNumber = static_cast<uint32_t>(&info - streams_.data());
  const uint32_t sampleSize = info.stream->GetHeader().dwSampleSize;
  std::vector<SuperIndexEntry> superIndex;
  for (const StandardIndexGroup& group : groups) {
    const std::span<const IndexEntry> members(entries.data() + group.first, group.count);
    const auto body = StandardIndexBody(members, info.chunkId);
    const uint64_t chunkBytes = kRiffChunkHeaderSize + body.size();
    if (NeedsNewSegment(chunkBytes) && (!FinishSegment() || !BeginSegment())) return false;
    superIndex.push_back({logicalSize_, ClampTo32(chunkBytes), StandardIndexDuration(members, sampleSize)});
    if (!AppendChunkHeader(StandardIndexChunkId(streamNumber), ClampTo32(body.size())) ||
        !Append(body.data(), body.size()))
      return false;
    segmentBytes_ += chunkBytes;
  }
  if (!header_.ReplaceChunk(info.superIndexPosition, kChunkOdmlIndex,
                            SuperIndexBody(info.chunkId, superIndex, limits_.superIndexEntries)))
    return Fail("the super index does not fit its place in the header");
  return true;
}

bool TAVIOutFile::Finalize() {
  std::lock_guard guard(lock_);
  return FinalizeLocked();
}

bool TAVIOutFile::FinalizeLocked() {
  if (!open_) return !failed_;
  std::vector<uint8_t> odml;
  AppendLE32(odml, firstVideo_ ? streams_[*firstVideo_].stream->SamplesWritten() : 0);
  odml.resize(kOdmlHeaderSize, 0);
  if (!header_.ReplaceChunk(dmlhPosition_, kChunkOdmlHeader, odml)) return Fail("the header could not be completed");
  if (segmentsFinished_ > 0)
    for (TAVIOutStmInfo& info : streams_)
      if (info.chunkCount > 0 && !WriteStreamIndex(info)) return false;
  if (!FinishSegment()) return false;
  if (!file_->Flush() || !file_->Truncate(logicalSize_)) return Fail(file_->ErrorText());

  bool replaced = header_.ReplaceChunk(avihPosition_, kChunkMainHeader, MainHeaderBytes(mainHeader_));
  for (const TAVIOutStmInfo& info : streams_)
    replaced = replaced &&
               header_.ReplaceChunk(info.strhPosition, kChunkStreamHeader, StreamHeaderBytes(info.stream->GetHeader()));
  if (!replaced) return Fail("the header could not be completed");
  if (!file_->WriteAt(0, header_.Bytes().data(), header_.Bytes().size())) return Fail(file_->ErrorText());
  for (const AVIBlock& segment : segments_) {
    std::vector<uint8_t> riffSize;
    std::vector<uint8_t> moviSize;
    AppendLE32(riffSize, segment.riffSize);
    AppendLE32(moviSize, segment.moviSize);
    if (!file_->WriteAt(segment.riffPosition + 4, riffSize.data(), riffSize.size()) ||
        !file_->WriteAt(segment.moviPosition + 4, moviSize.data(), moviSize.size()))
      return Fail(file_->ErrorText());
  }
  open_ = false;
  if (!file_->Close()) return Fail(file_->ErrorText());
  return true;
}

bool TAVIOutFile::Fail(const std::string& reason) {
  if (!failed_) errorText_ = reason.empty() ? "the output file could not be written" : reason;
  failed_ = true;
  open_ = false;
  if (file_) file_->Close();
  return false;
}

bool TAVIOutFile::Refuse(const std::string& reason) {
  errorText_ = reason;
  return false;
}

std::unique_ptr<TAVIOutFile> CreateAviOutFile(const AviWriterLimits& limits) {
  return std::unique_ptr<TAVIOutFile>(new (std::nothrow) TAVIOutFile(limits));
}

}  // namespace korvel
