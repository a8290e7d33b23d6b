#pragma once
// The read-only stream an ASF reader opens: read, seek and size, nothing else. The program
// supplies it (a file, bytes in memory); the reader tolerates short reads and tells a real end
// of the data from a failed read.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "base/hresult.h"

namespace korvel::asf {

enum class SeekOrigin { kBegin = 0, kCurrent = 1, kEnd = 2 };

class AsfByteStream {
public:
  virtual ~AsfByteStream() = default;
  // Reads up to out.size() bytes at the current position; *got may be less (0 at the end).
  virtual HRESULT Read(std::span<uint8_t> out, size_t* got) = 0;
  virtual HRESULT Seek(int64_t offset, SeekOrigin origin, uint64_t* newPosition) = 0;
  virtual HRESULT Size(uint64_t* size) = 0;
};

// A stream over bytes held in memory.
std::shared_ptr<AsfByteStream> MakeMemoryByteStream(std::vector<uint8_t> bytes);
// A stream over a regular file opened read-only; E_FAIL for anything that is not a regular file.
HRESULT OpenFileByteStream(const std::filesystem::path& file, std::shared_ptr<AsfByteStream>& stream);

enum class ReadOutcome { kComplete, kEndOfData, kFailed };

// Fills out from offset, looping over short reads. kEndOfData when the stream ends first.
ReadOutcome ReadExactAt(AsfByteStream& stream, uint64_t offset, std::span<uint8_t> out);

}  // namespace korvel::asf
