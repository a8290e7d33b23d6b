#pragma once
// The AVI reader: walks the RIFF structure, keeps one node per "strl" list, loads the "idx1" or
// OpenDML index, or rebuilds the index by scanning the movie data.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "avi/avi_read_handler.h"
#include "avi/avi_stream_node.h"
#include "avi/file64.h"

namespace korvel {

// The movie data ("movi" list) length when the file does not tell it.
inline constexpr uint64_t kUnknownMovieLength = 0xFFFFFFF0u;

class AviReadHandlerAvi2 final : public IAVIReadHandler, public std::enable_shared_from_this<AviReadHandlerAvi2> {
public:
  AviReadHandlerAvi2(AviMessageCallback onMessage, AviProgressCallback onProgress, bool forceReconstruct,
                     bool noKeyFrameDetection);

  bool Open(const std::filesystem::path& file) override;
  std::unique_ptr<IAVIReadStream> GetStream(FOURCC fccType, int32_t n) override;
  bool IsOpen() const override { return open_; }
  bool IndexReconstructed() const override { return reconstructed_; }
  bool FileDamaged() const override { return damaged_; }
  HRESULT GetFileInfo(AviFileInfo& info) const override;
  void Abort() override { abort_ = true; }

  File64& File() { return file_; }
  void ReportMessage(const std::string& text) const;
  // Every byte read from the file so far (headers, indexes, probes and samples).
  uint64_t BytesRead() const { return file_.BytesRead(); }

private:
  struct WalkResult;

  void WalkChunks(WalkResult& walk);
  void ParseStreamList(uint64_t listSize, WalkResult& walk);
  void FinishStreams();
  void ReportProgress(int32_t perMille) const;

  // The node a chunk id names ("01wb" is stream 1), or null: palette changes, unknown streams
  // and discarded "strl" lists have none.
  AviStreamNode* NodeForChunk(FOURCC id) const;
  void ClearIndexes();

  bool LoadIdx1(uint32_t entryCount, uint64_t moviePosition);
  bool LoadOdmlIndex(AviStreamNode& node, uint64_t position, uint64_t chunkSize, bool superAllowed);
  bool LoadOdmlStandardEntries(AviStreamNode& node, ByteView header, uint64_t entriesPosition, uint64_t entryCount);

  void ReconstructIndex(uint64_t moviePosition, uint64_t movieLength, bool odmlIndexPresent);
  void PrepareReconstruction();
  bool AcceptableChunk(const RiffChunkHeader& header, uint64_t dataPosition, bool resync, uint64_t largestChunk);
  void IndexScannedChunk(AviStreamNode& node, uint64_t dataPosition, uint32_t size);
  bool FindNextSegment();
  void ReportReconstructionSummary(uint64_t corruptedBytes);

  AviMessageCallback onMessage_;
  AviProgressCallback onProgress_;
  bool forceReconstruct_;
  bool noKeyFrameDetection_;

  File64 file_;
  uint64_t fileSize_ = 0;
  // One slot per "strl" list in file order; a list without header or format leaves its slot empty.
  std::vector<std::unique_ptr<AviStreamNode>> nodes_;
  std::optional<uint32_t> microSecPerFrame_;
  // Every chunk takes at least its 8-byte header: OpenDML indexes of all streams together may list
  // no more entries than that allows, however often a super index names the same standard index.
  uint64_t odmlEntryBudget_ = 0;
  std::atomic<bool> abort_{false};
  bool open_ = false;
  bool reconstructed_ = false;
  bool damaged_ = false;
};

}  // namespace korvel
