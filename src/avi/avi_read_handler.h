#pragma once
// Reading AVI 1.0 and OpenDML files: the RIFF structure, the stream headers and formats, the
// chunk index ("idx1", or the OpenDML super and standard indexes), and each stream as an object
// whose samples are read by number. A file without a usable index (or when the caller asks) is
// re-indexed by scanning the movie data chunk by chunk, stepping over damaged bytes and telling
// key frames by their first bytes. The reader never writes.
//
// A handler is shared: every stream taken from it keeps it alive. One thread uses a handler and
// its streams; Abort alone may come from another thread.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/fourcc.h"
#include "base/hresult.h"

namespace korvel {

// A stream's description: the fields of its AVI stream header, with the frame rectangle widened.
struct AviStreamInfo {
  FOURCC fccType = 0;
  FOURCC fccHandler = 0;
  uint32_t dwFlags = 0;
  uint32_t dwCaps = 0;
  uint16_t wPriority = 0;
  uint16_t wLanguage = 0;
  uint32_t dwScale = 0;
  uint32_t dwRate = 0;
  uint32_t dwStart = 0;
  uint32_t dwLength = 0;  // as the header says, not as the index counts
  uint32_t dwInitialFrames = 0;
  uint32_t dwSuggestedBufferSize = 0;
  uint32_t dwQuality = 0;
  uint32_t dwSampleSize = 0;
  int32_t rcLeft = 0;
  int32_t rcTop = 0;
  int32_t rcRight = 0;
  int32_t rcBottom = 0;
  uint32_t dwEditCount = 0;
  uint32_t dwFormatChangeCount = 0;
  std::string szName;
};

// The file's description, taken from its first video stream (else its first audio stream).
struct AviFileInfo {
  uint32_t dwMaxBytesPerSec = 0;
  uint32_t dwFlags = 0;
  uint32_t dwCaps = 0;
  uint32_t dwStreams = 0;
  uint32_t dwSuggestedBufferSize = 0;
  uint32_t dwWidth = 0;
  uint32_t dwHeight = 0;
  uint32_t dwScale = 0;
  uint32_t dwRate = 0;
  uint32_t dwLength = 0;
  uint32_t dwEditCount = 0;
  std::string szFileType;
};

class IAVIReadStream {
public:
  virtual ~IAVIReadStream() = default;

  // True for video whose every frame is a key frame (uncompressed and intra-only formats).
  virtual bool IsKeyframeOnly() const = 0;
  // For audio whose chunks are not whole blocks: mean bit rate, its deviation and the largest
  // drift in seconds between the chunks and a constant rate. False for every other stream.
  virtual bool GetVBRInfo(double& meanBitRate, double& deviation, double& maxDrift) const = 0;
  // The file offset of the sample's first byte, or -1 outside the stream.
  virtual int64_t SamplePosition(int64_t sample) const = 0;
  virtual void Info(AviStreamInfo& info) const = 0;
  // The whole "strf" block (a BITMAPINFOHEADER for video, a WAVEFORMATEX for audio).
  virtual const std::vector<uint8_t>& Format() const = 0;
  // Info, then the format; AVIERR_BADFORMAT when the stream has no format bytes.
  virtual HRESULT InfoAndFormat(AviStreamInfo& info, std::vector<uint8_t>& format) const = 0;

  virtual int64_t TimeToSample(int64_t ms) const = 0;
  virtual int64_t SampleToTime(int64_t sample) const = 0;
  int64_t Start() const { return 0; }
  virtual int64_t End() const = 0;  // the stream length in samples

  virtual int64_t PrevKeyFrame(int64_t sample) const = 0;
  virtual int64_t NextKeyFrame(int64_t sample) const = 0;
  virtual int64_t NearestKeyFrame(int64_t sample) const = 0;
  virtual bool IsKeyFrame(int64_t sample) const = 0;

  // Reads samples from start: a fixed-size stream reads up to count samples (-1: up to 65536)
  // of whole units; a variable-size stream one sample (one chunk, or one block of an irregular
  // audio chunk) whatever count says. A null buffer only reports the sizes. S_OK,
  // AVIERR_BUFFERTOOSMALL (the sizes needed are reported) or AVIERR_FILEREAD.
  virtual HRESULT Read(int64_t start, int64_t count, uint8_t* buffer, int64_t bufferLength, int64_t* bytesRead,
                       int64_t* samplesRead) = 0;
};

// Messages are whole lines for the user ("AVI Reconstructing ...", "   - Keyframes : 12");
// progress runs from 0 to 1000 while the index is rebuilt.
using AviMessageCallback = std::function<void(const std::string& text)>;
using AviProgressCallback = std::function<void(int32_t perMille)>;

class IAVIReadHandler {
public:
  virtual ~IAVIReadHandler() = default;

  // Parses the file; true on success. The result is kept for IsOpen.
  virtual bool Open(const std::filesystem::path& file) = 0;
  // The n-th (0-based) stream whose type is fccType ("vids", "auds"), or of any type when
  // fccType is 0; null when there is none.
  virtual std::unique_ptr<IAVIReadStream> GetStream(FOURCC fccType, int32_t n) = 0;
  virtual bool IsOpen() const = 0;
  virtual bool IndexReconstructed() const = 0;
  // True when rebuilding the index had to step over bytes that were no chunk.
  virtual bool FileDamaged() const = 0;
  // E_FAIL when the file has neither a video nor an audio stream.
  virtual HRESULT GetFileInfo(AviFileInfo& info) const = 0;
  // Ends a running re-index at the next chunk; safe from any thread.
  virtual void Abort() = 0;
};

// Creates a handler at `handler` (replacing what was there) and opens the file with it.
// forceReconstruct rebuilds the index even when the file has one; noKeyFrameDetection leaves the
// frames' bytes unread while rebuilding. S_OK, or E_FAIL when Open failed; the handler stays at
// `handler` either way.
HRESULT CreateAviReadHandler(std::shared_ptr<IAVIReadHandler>& handler, const std::filesystem::path& file,
                             AviMessageCallback onMessage, AviProgressCallback onProgress,
                             bool forceReconstruct, bool noKeyFrameDetection);

}  // namespace korvel
