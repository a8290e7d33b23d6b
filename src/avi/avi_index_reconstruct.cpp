// Rebuilding the index by scanning the movie data chunk by chunk. A header that cannot be a
// chunk switches to resynchronisation: the scan steps to the next byte that could start an id
// and only trusts chunks of plausible size followed by another plausible chunk.
#include <algorithm>
#include <array>
#include <string>

#include "avi/avi_fourcc.h"
#include "avi/avi_read_handler_avi2.h"
#include "base/numeric.h"

namespace korvel {
namespace {

constexpr uint32_t kMinPlausibleChunk = 100000;
constexpr size_t kProbeBytes = 100;
constexpr uint64_t kListHeaderSize = 12;

bool IsEnteredType(FOURCC type) { return type == kFormAvix || type == kListMovie || type == kListRecord; }

// How far to move after a header that is no chunk: to the first byte that could start an id.
uint64_t ResyncStep(const RiffChunkHeader& header) {
  const auto byteAt = [&](int i) {
    return static_cast<uint8_t>(i < 4 ? header.id >> (8 * i) : header.size >> (8 * (i - 4)));
  };
  if (header.id != 0) {
    for (int i = 1; i < 8; ++i)
      if (IsRiffIdCharacter(byteAt(i))) return static_cast<uint64_t>(i);
    return kRiffChunkHeaderSize;
  }
  if (header.size == 0) return kRiffChunkHeaderSize;
  for (int i = 4; i < 8; ++i)
    if (IsRiffIdCharacter(byteAt(i))) return static_cast<uint64_t>(i);
  return kRiffChunkHeaderSize;
}

}  // namespace

void AviReadHandlerAvi2::PrepareReconstruction() {
  for (auto& node : nodes_) {
    if (!node) continue;
    node->index.Clear();
    node->totalBytes = 0;
    node->reconstruct = AviReconstructState{};
    if (!node->IsVideo()) continue;
    AviReconstructState& state = node->reconstruct;
    const FOURCC handler = node->header.fccHandler;
    if (!noKeyFrameDetection_) {
      if (IsMpeg4Part2(handler)) {
        state.detectMpeg4 = true;
      } else if (HasFrameTypeInspector(handler)) {
        state.detectOtherCodec = true;
        InitVc1State(handler, node->format.data(), node->format.size(), state.vc1);
      }
    }
    const AviStreamHeader& h = node->header;
    const double fps = h.dwRate != 0 && h.dwScale != 0 ? static_cast<double>(h.dwRate) / h.dwScale : 30.0;
    const double seconds = state.detectMpeg4 || state.detectOtherCodec ? 20.0 : 10.0;
    state.maxKeyInterval = static_cast<uint32_t>(std::max(0, TruncToInt32(fps * seconds)));
    std::string fourcc(4, ' ');
    for (int i = 0; i < 4; ++i) fourcc[static_cast<size_t>(i)] = static_cast<char>(handler >> (8 * i));
    ReportMessage("   - Video : " + fourcc);
  }
}

bool AviReadHandlerAvi2::AcceptableChunk(const RiffChunkHeader& header, uint64_t dataPosition, bool resync,
                                         uint64_t largestChunk) {
  if (!IsValidRiffId(header.id) || header.size > fileSize_ - std::min(dataPosition, fileSize_)) return false;
  if (!resync) return true;
  if (header.size > largestChunk) return false;
  const uint64_t next = dataPosition + header.PaddedSize();
  if (next > fileSize_ || fileSize_ - next < kRiffChunkHeaderSize) return true;
  file_.Seek(next);
  const auto following = file_.ReadChunkHeader();
  file_.Seek(dataPosition);
  return following && IsValidRiffId(following->id) && following->size <= fileSize_ - (next + kRiffChunkHeaderSize);
}

void AviReadHandlerAvi2::IndexScannedChunk(AviStreamNode& node, uint64_t dataPosition, uint32_t size) {
  AviReconstructState& state = node.reconstruct;
  bool key = (node.totalBytes == 0 || node.keyFrameOnly) && size != 0;
  if (node.IsVideo() && size != 0 && (state.detectMpeg4 || state.detectOtherCodec)) {
    std::array<uint8_t, kProbeBytes> probe{};
    const int64_t got = file_.Read(probe.data(), std::min<size_t>(probe.size(), size));
    file_.Seek(dataPosition);
    const size_t length = got > 0 ? static_cast<size_t>(got) : 0;
    key = key || (state.detectMpeg4
                      ? IsMpeg4KeyFrame(probe.data(), length)
                      : FrameType(node.header.fccHandler, probe.data(), length, state.vc1) == kFrameKey);
  }
  if (node.IsVideo()) {
    if (key) {
      ++state.keyFramesFound;
      state.framesSinceKey = 0;
    } else {
      state.averageFrameSize = static_cast<uint32_t>((uint64_t{state.averageFrameSize} + size) / 2);
      // A stream that never shows a key frame still gets one now and then, on a large frame.
      if (++state.framesSinceKey > state.maxKeyInterval && size >= state.averageFrameSize) {
        key = true;
        state.framesSinceKey = 0;
      }
    }
  }
  node.index.Add(dataPosition, size, key);
  node.totalBytes += size;
}

bool AviReadHandlerAvi2::FindNextSegment() {
  // Whatever closes the first RIFF form ("idx1", padding) lies between its movie and the next form.
  while (auto header = file_.ReadChunkHeader()) {
    const uint64_t headerPosition = file_.Position() - kRiffChunkHeaderSize;
    if (!IsValidRiffId(header->id) || header->size > fileSize_ - file_.Position()) return false;
    if (header->id == kFourCCRiff) {
      uint8_t form[4];
      if (file_.ReadExact(form, sizeof form) && ByteView(form).U32LE(0) == kFormAvix) return file_.Seek(headerPosition);
    }
    if (!file_.Seek(headerPosition + kRiffChunkHeaderSize + header->PaddedSize())) return false;
  }
  return false;
}

void AviReadHandlerAvi2::ReconstructIndex(uint64_t moviePosition, uint64_t movieLength, bool odmlIndexPresent) {
  ReportMessage("AVI Reconstructing ...");
  reconstructed_ = true;
  file_.Seek(moviePosition);
  bool bounded = !odmlIndexPresent;
  bool resync = false;
  uint64_t remaining = movieLength;
  uint64_t corrupted = 0;
  PrepareReconstruction();
  uint64_t largestChunk = kMinPlausibleChunk;
  for (const auto& node : nodes_)
    if (node) largestChunk = std::max<uint64_t>(largestChunk, node->header.dwSuggestedBufferSize);

  int64_t reported = 0;
  ReportProgress(0);
  while (!abort_ && file_.Position() < fileSize_) {
    int64_t progress = 0;
    if (bounded) {
      if (remaining < kRiffChunkHeaderSize) {
        if (!FindNextSegment()) break;
        bounded = false;
        continue;
      }
      progress = movieLength == 0 ? 0 : static_cast<int64_t>((movieLength - remaining) * 1000 / movieLength);
    } else if (fileSize_ > moviePosition) {
      progress = static_cast<int64_t>((file_.Position() - moviePosition) * 1000 / (fileSize_ - moviePosition));
    }
    if (progress > reported) {
      reported = progress;
      ReportProgress(static_cast<int32_t>(std::min<int64_t>(progress, 1000)));
    }

    const uint64_t headerPosition = file_.Position();
    const auto header = file_.ReadChunkHeader();
    if (!header) break;
    const uint64_t dataPosition = file_.Position();
    if (!AcceptableChunk(*header, dataPosition, resync, largestChunk)) {
      resync = true;
      bounded = false;
      const uint64_t step = ResyncStep(*header);
      corrupted += step;
      file_.Seek(headerPosition + step);
      continue;
    }

    bool entered = false;
    if (header->IsContainer() && header->size >= 4) {
      uint8_t type[4];
      entered = file_.ReadExact(type, sizeof type) && IsEnteredType(ByteView(type).U32LE(0).value_or(0));
      if (!entered) file_.Seek(dataPosition);
    }
    if (bounded) {
      // An entered list gives up only its header: the chunks inside count for themselves.
      const uint64_t used = entered ? kListHeaderSize : header->PaddedSize() + kRiffChunkHeaderSize;
      remaining -= std::min(remaining, used);
    }
    if (entered) continue;
    if (AviStreamNode* node = NodeForChunk(header->id)) IndexScannedChunk(*node, dataPosition, header->size);
    if (header->size != 0) file_.Seek(dataPosition + header->PaddedSize());
  }

  ReportProgress(1000);
  if (resync) damaged_ = true;
  for (const auto& node : nodes_)
    if (node && node->IsVideo() && node->reconstruct.keyFramesFound > 0)
      ReportMessage("   - Keyframes : " + std::to_string(node->reconstruct.keyFramesFound));
  ReportReconstructionSummary(corrupted);
}

void AviReadHandlerAvi2::ReportReconstructionSummary(uint64_t corruptedBytes) {
  if (corruptedBytes == 0 || fileSize_ == 0) return;
  ReportMessage("   - Corrupted size : " + std::to_string(corruptedBytes / 1024) + " / " +
                std::to_string(fileSize_ / 1024) + " KB (" + std::to_string(corruptedBytes * 100 / fileSize_) + "%)");
}

}  // namespace korvel
