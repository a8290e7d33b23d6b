#pragma once
// Reading AVI files in tests: opening with the messages kept, every sample of a stream, and
// ffprobe's packet list of the same file to compare with.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "avi/avi_read_handler.h"

namespace korvel::test {

uint32_t Adler32(std::span<const uint8_t> bytes);

struct OpenedAvi {
  std::shared_ptr<IAVIReadHandler> handler;
  HRESULT result = E_FAIL;
  std::vector<std::string> messages;
  // The message that starts with prefix, or "" when there is none.
  std::string MessageStartingWith(const std::string& prefix) const;
};

OpenedAvi OpenAvi(const std::filesystem::path& file, bool forceReconstruct = false);

// One read of a stream from a sample on: where it starts, what came and whether it is a key frame.
struct SampleRead {
  int64_t sample = 0;
  int64_t position = 0;
  int64_t bytes = 0;
  uint32_t adler = 0;
  bool key = false;
  bool operator==(const SampleRead&) const = default;
};

// The whole stream, read front to back as large as the reader allows.
std::vector<SampleRead> ReadWholeStream(IAVIReadStream& stream);

struct ProbedAviPacket {
  int stream = 0;
  int64_t position = 0;  // of the chunk header
  int64_t size = 0;
  uint32_t adler = 0;
  bool key = false;
  // In the stream's time base (frames, for video): the presentation time, or the decoding time
  // where ffprobe gives none (H.264 in AVI); -1 without either.
  int64_t time = -1;
};

bool HaveFfprobe();
std::vector<ProbedAviPacket> ProbeAviPackets(const std::filesystem::path& file);

}  // namespace korvel::test
