#pragma once
// What every AVI producer shares: opening a source with the AVI reader, an output stream per
// source stream, and copying the streams chunk by chunk interleaved by time, so that a player
// reading the output front to back finds audio and video close together.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "avi/avi_read_handler.h"
#include "avi/avi_writer.h"
#include "produce/producer_base.h"

namespace korvel {

class TProducerAviRoot : public TProducerBase {
public:
  TProducerAviRoot();
  ~TProducerAviRoot() override;

  // Rebuild the source's index by scanning its movie data even when it has one.
  void SetForceReconstruct(bool force) { forceReconstruct_ = force; }
  // Caps the output below what its file system allows; the writer then ends the file early
  // but complete, as it does at the FAT limit.
  void SetOutputSizeLimit(uint64_t limit) { outputSizeLimit_ = limit; }

  // A running index reconstruction is interrupted at once, not only the copy.
  void RequestStop() override;

protected:
  // The copy state of one source stream; its position is also its output stream number.
  struct TAviCopyStream {
    std::unique_ptr<IAVIReadStream> reader;
    TAVIOutStream* output = nullptr;
    AviStreamInfo info;
    int64_t startMs = 0;
    int64_t endMs = 0;
    int64_t spanMs = 0;
    int64_t startSample = 0;
    int64_t currentSample = 0;
    int64_t endSample = 0;  // inclusive; below startSample when there is nothing to copy
    int64_t sampleCount = 0;
    int64_t samplesPerRead = 1;
    // Milliseconds per sample; 0 for a stream without a rate.
    double SampleMs() const {
      return info.dwRate == 0 ? 0.0 : static_cast<double>(info.dwScale) * 1000.0 / info.dwRate;
    }
    // A video frame's duration in whole milliseconds.
    int64_t FrameMs() const { return static_cast<int64_t>(SampleMs() + 0.49); }
    bool IsVideo() const { return info.fccType == kStreamTypeVideo; }
    bool IsAudio() const { return info.fccType == kStreamTypeAudio; }
  };

  // Opens file into the reader and takes its first video and audio streams (at most five).
  HRESULT OpenSource(const std::filesystem::path& file);
  void CloseSource();
  // One output stream per taken stream, then the destination file; sets OutputCreated.
  HRESULT CreateOutput();
  // Finalizes the output; a failure to do so fails a successful run.
  HRESULT CloseOutput(HRESULT result);

  // Sets each stream's copy range from clipStartMs_ / clipEndMs_ (an end below 1 copies to
  // the stream's last sample), the interleaving step and the copy buffer.
  HRESULT PrepareStreams();
  // Copies every prepared stream to its end, a window of step milliseconds per round.
  HRESULT InterleaveStreams();

  virtual void ProgressTick();
  virtual HRESULT CopyAudioChunk(TAviCopyStream& stream);
  virtual HRESULT WriteAudioChunk(TAviCopyStream& stream, int64_t bytes, int64_t samples);
  virtual HRESULT CopyVideoChunk(TAviCopyStream& stream);
  virtual HRESULT WriteVideoChunk(TAviCopyStream& stream, int64_t sample, int64_t bytes, int64_t samples);

  void StatusFailure(const std::string& tail);
  // Reads count samples from sample on into the copy buffer, grown to fit; "Memory error." when
  // it cannot grow.
  HRESULT ReadIntoBuffer(IAVIReadStream& reader, int64_t sample, int64_t count, int64_t& bytes, int64_t& samples);
  // Writes the first bytes of the copy buffer to the stream's output without moving its copy
  // position.
  HRESULT WriteBuffer(TAviCopyStream& stream, uint32_t flags, int64_t bytes, int64_t samples);
  const std::vector<uint8_t>& Buffer() const { return buffer_; }

  std::vector<TAviCopyStream> streams_;
  int64_t clipStartMs_ = 0;
  int64_t clipEndMs_ = 0;
  int64_t longestSpanMs_ = 1;
  int64_t windowMs_ = 0;
  int64_t stepMs_ = 0;

private:
  // The copy buffer holds at least bytes; false (with "Memory error.") when it cannot grow.
  bool GrowBuffer(int64_t bytes);
  HRESULT WriteChunk(TAviCopyStream& stream, uint32_t flags, int64_t bytes, int64_t samples);

  bool forceReconstruct_ = false;
  uint64_t outputSizeLimit_ = UINT64_MAX;
  // RequestStop reaches the reader from the main thread while the worker replaces it.
  std::mutex readerLock_;
  std::shared_ptr<IAVIReadHandler> reader_;
  // The handler while its file is opened, which is when it may rebuild the index; only the
  // worker thread touches it.
  std::shared_ptr<IAVIReadHandler> opening_;
  std::unique_ptr<TAVIOutFile> output_;
  std::vector<uint8_t> buffer_;
};

}  // namespace korvel
