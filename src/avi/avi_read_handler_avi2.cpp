#include "avi/avi_read_handler_avi2.h"

#include <algorithm>
#include <array>

#include "avi/avi_fourcc.h"
#include "avi/avi_read_stream.h"
#include "base/byte_view.h"

namespace korvel {
namespace {

constexpr uint32_t kMainHeaderSize = 56;
// A format block is a few dozen bytes; anything near this is not one.
constexpr uint32_t kMaxFormatSize = 1u << 20;

// Video formats whose every frame stands alone.
constexpr std::array kIntraOnlyCompressions = {
    MakeFourCC('D', 'I', 'B', ' '), MakeFourCC('R', 'A', 'W', ' '), MakeFourCC('I', '4', '2', '0'),
    MakeFourCC('b', 't', '2', '0'), MakeFourCC('d', 'm', 'b', '1'), MakeFourCC('Y', 'V', '1', '2'),
    MakeFourCC('Y', 'U', 'Y', '2'), MakeFourCC('M', 'J', 'P', 'G'), MakeFourCC('Y', '4', '1', 'P'),
    MakeFourCC('H', 'F', 'Y', 'U'), MakeFourCC('Y', 'V', 'Y', 'U'), MakeFourCC('I', 'Y', 'U', 'V'),
    MakeFourCC('V', 'Y', 'U', 'Y'), MakeFourCC('U', 'Y', 'V', 'Y'), MakeFourCC('m', 'j', 'p', 'g'),
    MakeFourCC('c', 'y', 'u', 'v')};

bool IsIntraOnly(FOURCC compression) {
  return compression == 0 ||
         std::find(kIntraOnlyCompressions.begin(), kIntraOnlyCompressions.end(), compression) !=
             kIntraOnlyCompressions.end();
}

std::optional<int> HexDigit(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

AviStreamHeader ParseStreamHeader(const ByteView& raw) {
  AviStreamHeader h;
  h.fccType = raw.U32LE(0).value_or(0);
  h.fccHandler = raw.U32LE(4).value_or(0);
  h.dwFlags = raw.U32LE(8).value_or(0);
  h.wPriority = raw.U16LE(12).value_or(0);
  h.wLanguage = raw.U16LE(14).value_or(0);
  h.dwInitialFrames = raw.U32LE(16).value_or(0);
  h.dwScale = raw.U32LE(20).value_or(0);
  h.dwRate = raw.U32LE(24).value_or(0);
  h.dwStart = raw.U32LE(28).value_or(0);
  h.dwLength = raw.U32LE(32).value_or(0);
  h.dwSuggestedBufferSize = raw.U32LE(36).value_or(0);
  h.dwQuality = raw.U32LE(40).value_or(0);
  h.dwSampleSize = raw.U32LE(44).value_or(0);
  h.rcLeft = static_cast<int16_t>(raw.U16LE(48).value_or(0));
  h.rcTop = static_cast<int16_t>(raw.U16LE(50).value_or(0));
  h.rcRight = static_cast<int16_t>(raw.U16LE(52).value_or(0));
  h.rcBottom = static_cast<int16_t>(raw.U16LE(54).value_or(0));
  return h;
}

// The bytes of one sample as the index counts them: the audio block, or the header's sample size.
uint32_t IndexSampleUnit(const AviStreamNode& node) {
  if (node.IsAudio()) return std::max<uint32_t>(node.BlockAlign(), 1);
  // Video is one frame per chunk whatever the header's sample size says.
  if (node.IsVideo()) return 0;
  return node.header.dwSampleSize;
}

}  // namespace

struct AviReadHandlerAvi2::WalkResult {
  std::optional<uint64_t> moviePosition;
  uint64_t movieLength = kUnknownMovieLength;
  bool odmlIndexSeen = false;
  bool odmlIndexFailed = false;
  bool idx1Loaded = false;
};

AviReadHandlerAvi2::AviReadHandlerAvi2(AviMessageCallback onMessage, AviProgressCallback onProgress,
                                       bool forceReconstruct, bool noKeyFrameDetection)
    : onMessage_(std::move(onMessage)),
      onProgress_(std::move(onProgress)),
      forceReconstruct_(forceReconstruct),
      noKeyFrameDetection_(noKeyFrameDetection) {}

void AviReadHandlerAvi2::ReportMessage(const std::string& text) const {
  if (onMessage_) onMessage_(text);
}

void AviReadHandlerAvi2::ReportProgress(int32_t perMille) const {
  if (onProgress_) onProgress_(perMille);
}

bool AviReadHandlerAvi2::Open(const std::filesystem::path& file) {
  open_ = false;
  nodes_.clear();
  microSecPerFrame_.reset();
  if (!file_.Open(file)) return false;
  const auto riff = file_.ReadChunkHeader();
  uint8_t form[4];
  if (!riff || riff->id != kFourCCRiff || !file_.ReadExact(form, sizeof form) ||
      ByteView(form).U32LE(0) != kFormAvi)
    return false;
  fileSize_ = file_.Size();
  odmlEntryBudget_ = fileSize_ / kRiffChunkHeaderSize + 1;

  WalkResult walk;
  WalkChunks(walk);
  if (std::none_of(nodes_.begin(), nodes_.end(), [](const auto& node) { return node != nullptr; })) {
    ReportMessage("   - Error : This file doesn't have a stream header");
    return false;
  }
  if (!walk.moviePosition) {
    ReportMessage("   - Error : This file doesn't have a movie data block");
    return false;
  }
  const bool haveIndex = walk.odmlIndexSeen || walk.idx1Loaded;
  if (!haveIndex || walk.odmlIndexFailed || forceReconstruct_)
    ReconstructIndex(*walk.moviePosition, walk.movieLength, walk.odmlIndexSeen);
  FinishStreams();
  open_ = true;
  return true;
}

void AviReadHandlerAvi2::WalkChunks(WalkResult& walk) {
  const auto haveStreams = [this] {
    return std::any_of(nodes_.begin(), nodes_.end(), [](const auto& node) { return node != nullptr; });
  };
  while (auto header = file_.ReadChunkHeader()) {
    if (!IsValidRiffId(header->id)) break;
    const uint64_t dataPosition = file_.Position();
    const uint64_t skipTo = dataPosition + header->PaddedSize();
    if (header->id == kFourCCList) {
      uint8_t rawType[4];
      if (!file_.ReadExact(rawType, sizeof rawType)) break;
      const FOURCC type = ByteView(rawType).U32LE(0).value_or(0);
      if (type == kListMovie && header->size == 0) {
        walk.moviePosition = file_.Position();
        walk.movieLength = kUnknownMovieLength;
        break;
      }
      if (type != kListHeader && header->size < 4) break;
      const uint64_t size = header->size >= 4 ? header->size - 4u : 0;
      if (type == kListMovie) {
        walk.moviePosition = file_.Position();
        walk.movieLength = size < 8 ? kUnknownMovieLength : size;
        if (!haveStreams() || walk.odmlIndexSeen) break;
        if (size < 8) continue;
      } else if (type == kListStream) {
        ParseStreamList(size, walk);
      } else if (type == kListHeader || type == kListRecord || type == kListInfo) {
        continue;
      }
    } else {
      if (dataPosition + header->size > fileSize_) break;
      if (header->id == kChunkIdx1 && !walk.odmlIndexSeen && !walk.idx1Loaded) {
        walk.idx1Loaded = LoadIdx1(header->size / 16, walk.moviePosition.value_or(0));
      } else if (header->id == kChunkMainHeader && !microSecPerFrame_) {
        uint8_t raw[kMainHeaderSize] = {};
        if (!file_.ReadExact(raw, std::min(header->size, kMainHeaderSize))) break;
        microSecPerFrame_ = ByteView(raw).U32LE(0).value_or(0);
      }
    }
    if (!file_.Seek(skipTo)) break;
  }
}

void AviReadHandlerAvi2::ParseStreamList(uint64_t listSize, WalkResult& walk) {
  auto node = std::make_unique<AviStreamNode>();
  const uint64_t listEnd = std::min(file_.Position() + listSize, fileSize_);
  bool headerSeen = false;
  bool formatSeen = false;
  bool unitSet = false;
  while (file_.Position() <= listEnd && listEnd - file_.Position() >= kRiffChunkHeaderSize) {
    const auto header = file_.ReadChunkHeader();
    if (!header) break;
    const uint64_t dataPosition = file_.Position();
    if (header->size > listEnd - dataPosition) break;
    if (header->id == kChunkStreamHeader) {
      uint8_t raw[kAviStreamHeaderSize] = {};
      if (!file_.ReadExact(raw, std::min(header->size, kAviStreamHeaderSize))) break;
      node->header = ParseStreamHeader(ByteView(raw));
      node->keyFrameOnly = false;
      headerSeen = true;
    } else if (header->id == kChunkStreamFormat && header->size <= kMaxFormatSize) {
      node->format.assign(header->size, 0);
      if (!file_.ReadExact(node->format.data(), node->format.size())) break;
      if (node->IsVideo()) {
        const auto compression = node->Compression();
        if (compression) {
          node->keyFrameOnly = IsIntraOnly(*compression);
          if (node->header.fccHandler == 0) node->header.fccHandler = *compression;
        }
      }
      formatSeen = true;
    } else if (header->id == kChunkOdmlIndex && headerSeen && formatSeen) {
      node->index.SetSampleUnit(IndexSampleUnit(*node));
      unitSet = true;
      if (!LoadOdmlIndex(*node, dataPosition, header->size, true)) walk.odmlIndexFailed = true;
      walk.odmlIndexSeen = true;
    }
    if (!file_.Seek(dataPosition + header->PaddedSize())) break;
  }
  if (headerSeen && formatSeen) {
    if (!unitSet) node->index.SetSampleUnit(IndexSampleUnit(*node));
    nodes_.push_back(std::move(node));
  } else {
    nodes_.push_back(nullptr);
  }
}

AviStreamNode* AviReadHandlerAvi2::NodeForChunk(FOURCC id) const {
  const auto high = HexDigit(static_cast<uint8_t>(id));
  const auto low = HexDigit(static_cast<uint8_t>(id >> 8));
  if (!high || !low) return nullptr;
  if (static_cast<uint8_t>(id >> 16) == 'p' && static_cast<uint8_t>(id >> 24) == 'c') return nullptr;
  const size_t number = static_cast<size_t>(*high * 16 + *low);
  return number < nodes_.size() ? nodes_[number].get() : nullptr;
}

void AviReadHandlerAvi2::ClearIndexes() {
  for (auto& node : nodes_) {
    if (!node) continue;
    node->index.Clear();
    node->totalBytes = 0;
  }
}

void AviReadHandlerAvi2::FinishStreams() {
  for (auto& node : nodes_) {
    if (!node) continue;
    node->index.Finalize();
    node->irregularChunks = node->index.IrregularChunks();
    node->entryCount = node->index.EntryCount();
    node->totalSamples = node->index.TotalSamples();
    AviStreamHeader& h = node->header;
    if (node->IsVideo()) h.dwSampleSize = 0;
    if (h.dwRate == 0 || h.dwScale == 0) {
      if (node->IsVideo() && microSecPerFrame_) {
        h.dwRate = 1000000;
        h.dwScale = *microSecPerFrame_;
      } else if (node->IsAudio()) {
        h.dwRate = node->AvgBytesPerSec();
        h.dwScale = node->BlockAlign();
      }
      if (h.dwRate == 0 || h.dwScale == 0) {
        h.dwRate = 15;
        h.dwScale = 1;
      }
    }
  }
}

std::unique_ptr<IAVIReadStream> AviReadHandlerAvi2::GetStream(FOURCC fccType, int32_t n) {
  if (!open_ || n < 0) return nullptr;
  int32_t seen = 0;
  for (size_t number = 0; number < nodes_.size(); ++number) {
    AviStreamNode* node = nodes_[number].get();
    if (!node || (fccType != 0 && node->header.fccType != fccType)) continue;
    if (seen++ == n) return std::make_unique<AviReadStream>(shared_from_this(), *node, static_cast<int32_t>(number));
  }
  return nullptr;
}

HRESULT AviReadHandlerAvi2::GetFileInfo(AviFileInfo& info) const {
  const AviStreamNode* chosen = nullptr;
  for (const FOURCC type : {kStreamTypeVideo, kStreamTypeAudio}) {
    for (const auto& node : nodes_)
      if (!chosen && node && node->header.fccType == type) chosen = node.get();
  }
  if (!chosen) return E_FAIL;
  const AviStreamHeader& h = chosen->header;
  info = AviFileInfo{};
  info.dwFlags = h.dwFlags;
  info.dwSuggestedBufferSize = h.dwSuggestedBufferSize;
  info.dwScale = h.dwScale;
  info.dwRate = h.dwRate;
  info.dwLength = h.dwLength;
  info.dwStreams = static_cast<uint32_t>(
      std::count_if(nodes_.begin(), nodes_.end(), [](const auto& node) { return node != nullptr; }));
  info.dwWidth = static_cast<uint32_t>(std::max(0, h.rcRight - h.rcLeft));
  info.dwHeight = static_cast<uint32_t>(std::max(0, h.rcBottom - h.rcTop));
  return S_OK;
}

HRESULT CreateAviReadHandler(std::shared_ptr<IAVIReadHandler>& handler, const std::filesystem::path& file,
                             AviMessageCallback onMessage, AviProgressCallback onProgress, bool forceReconstruct,
                             bool noKeyFrameDetection) {
  handler.reset();
  auto created = std::make_shared<AviReadHandlerAvi2>(std::move(onMessage), std::move(onProgress), forceReconstruct,
                                                      noKeyFrameDetection);
  handler = created;
  return created->Open(file) ? S_OK : E_FAIL;
}

}  // namespace korvel
