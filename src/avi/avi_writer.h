#pragma once
// Writing a new AVI file from already-compressed chunks: one output stream per source stream,
// then chunks one by one with their key-frame flag and sample count. The file is AVI 1.0 with
// an "idx1" while it stays within its first RIFF segment, and becomes OpenDML as soon as the
// data outgrows it: further "RIFF" "AVIX" segments, standard index chunks per stream and a super
// index per stream in the header. Fields known only at the end are patched in place when the
// file is finalized.
//
// Every operation that can fail says so and leaves the reason in ErrorText. A file may also end
// early but complete: at the size limit of its destination (FAT, or a cap the owner set) or when
// a stream's super index would overflow; later chunks are then refused and EarlyEnd says why.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "avi/avi_header_writer.h"
#include "avi/avi_index_writer.h"
#include "avi/avi_read_handler.h"
#include "avi/file_async.h"
#include "base/hresult.h"

namespace korvel {

inline constexpr HRESULT kAviWriterNoStreams = -1001;

// A FAT file must end below 4 GiB; the early stop keeps a margin for the last writes.
inline constexpr uint64_t kAviFatSizeLimit = 0xFDFFFFFFu;

struct AviWriterLimits {
  uint64_t firstSegment = 0x3F000000;
  uint64_t laterSegment = 0x7F000000;
  uint32_t superIndexEntries = 256;
  uint32_t largestStandardIndex = 8192;
};

enum class AviEarlyEnd {
  None,
  SizeLimit,       // the destination's file system or the owner's cap
  SuperIndexFull,  // a stream would need more standard index chunks than its super index holds
};

class TAVIOutFile;

class TAVIOutStmBase {
public:
  virtual ~TAVIOutStmBase() = default;

  virtual void SetFormat(std::span<const uint8_t> format) { format_.assign(format.begin(), format.end()); }
  virtual const std::vector<uint8_t>& GetFormat() const { return format_; }
  virtual size_t GetFormatSize() const { return format_.size(); }
  virtual const AviStreamHeader& GetHeader() const { return header_; }
  // The length and the suggested buffer size start at 0 and then count what is written.
  virtual void SetHeader(const AviStreamHeader& header);
  // flags: kAviIndexKeyFrame for a key frame, 0 for a delta frame. False when the chunk was not
  // written (see the file's ErrorText and EarlyEnd).
  virtual bool Write(uint32_t flags, const void* data, uint32_t bytes, uint32_t samples) = 0;
  virtual int64_t TimeToSample(int64_t ms) const;
  virtual int64_t SampleToTime(int64_t sample) const;
  virtual uint32_t SamplesWritten() const { return header_.dwLength; }

protected:
  std::vector<uint8_t> format_;
  AviStreamHeader header_;
};

class TAVIOutStream final : public TAVIOutStmBase {
public:
  TAVIOutStream(TAVIOutFile& file, uint32_t index) : file_(file), index_(index) {}
  bool Write(uint32_t flags, const void* data, uint32_t bytes, uint32_t samples) override;

private:
  TAVIOutFile& file_;
  uint32_t index_;
};

class TAVIOutFile {
public:
  explicit TAVIOutFile(const AviWriterLimits& limits = {});
  // Finalizes an open file, so destroying the writer leaves a complete file.
  virtual ~TAVIOutFile();
  TAVIOutFile(const TAVIOutFile&) = delete;
  TAVIOutFile& operator=(const TAVIOutFile&) = delete;

  // Null when the format is empty or too short for its kind, the type is neither video nor
  // audio, the file is already open, or there are already 256 streams.
  TAVIOutStream* CreateStream(const AviStreamInfo& info, std::span<const uint8_t> format);
  // Caps the file size below what the destination allows; call before Init.
  void SetSizeLimit(uint64_t limit) { sizeLimit_ = limit; }
  // S_OK, kAviWriterNoStreams, kFileAsyncCannotCreate or kFileAsyncFailed.
  HRESULT Init(const std::filesystem::path& file);
  bool WriteChunk(uint32_t stream, uint32_t flags, const void* data, uint32_t size);
  // Writes the indexes, patches the header and closes. False when anything failed on the way
  // (or earlier); a file that ended early but completely finalizes successfully.
  bool Finalize();

  bool IsOpen() const { return open_; }
  AviEarlyEnd EarlyEnd() const { return earlyEnd_; }
  bool CutAtSizeLimit() const { return earlyEnd_ == AviEarlyEnd::SizeLimit; }
  std::string ErrorText() const;

private:
  struct TAVIOutStmInfo {
    std::unique_ptr<TAVIOutStream> stream;
    uint64_t firstChunkPosition = 0;
    uint64_t latestChunkPosition = 0;
    uint32_t chunkCount = 0;
    FOURCC chunkId = 0;
    size_t strhPosition = 0;
    size_t superIndexPosition = 0;
    bool video = false;
  };
  struct AVIBlock {
    uint64_t riffPosition = 0;
    uint64_t moviPosition = 0;
    uint32_t riffSize = 0;
    uint32_t moviSize = 0;
  };

  void ComposeHeader();
  bool BeginSegment();
  bool FinishSegment();
  bool WriteIdx1();
  bool WriteStreamIndex(TAVIOutStmInfo& info);
  bool FinalizeLocked();
  uint64_t SegmentLimit() const;
  bool NeedsNewSegment(uint64_t accountedBytes) const;
  // Why the chunk must not be written, judged from the file's size and indexes with it.
  std::optional<AviEarlyEnd> EarlyEndBefore(uint32_t stream, uint64_t paddedSize, bool newSegment) const;
  bool Append(const void* data, uint64_t size);
  bool AppendChunkHeader(FOURCC id, uint32_t size);
  // Ends the file after a failure; everything later fails with the same reason.
  bool Fail(const std::string& reason);
  bool Refuse(const std::string& reason);

  mutable std::mutex lock_;
  AviWriterLimits limits_;
  std::unique_ptr<TFileAsyncBase> file_;
  uint64_t logicalSize_ = 0;
  std::vector<AVIBlock> segments_;
  uint32_t segmentsFinished_ = 0;
  IndexEntryList index_;
  AviHeaderBuffer header_;
  size_t avihPosition_ = 0;
  size_t dmlhPosition_ = 0;
  std::vector<TAVIOutStmInfo> streams_;
  AviMainHeader mainHeader_;
  uint32_t totalChunks_ = 0;
  uint64_t segmentBytes_ = 0;
  bool open_ = false;
  std::optional<size_t> firstVideo_;
  uint64_t sizeLimit_ = UINT64_MAX;
  bool failed_ = false;
  AviEarlyEnd earlyEnd_ = AviEarlyEnd::None;
  std::string errorText_;
};

// Null when memory runs out.
std::unique_ptr<TAVIOutFile> CreateAviOutFile(const AviWriterLimits& limits = {});

}  // namespace korvel
