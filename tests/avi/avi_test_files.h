#pragma once
// Small AVI files built byte by byte, for cases ffmpeg does not write: OpenDML segments in a few
// kilobytes, zero-size frames, irregular audio chunks, odd stream headers.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::test {

using Bytes = std::vector<uint8_t>;

// Appends RIFF chunks and lists, remembering where each starts so sizes and offsets can be
// filled in once known.
class RiffBuilder {
public:
  // "RIFF" or "LIST" with its form type; returns the offset of the header.
  size_t BeginList(std::string_view id, std::string_view type);
  void EndList(size_t start);
  // Returns the offset of the chunk header; the data follows 8 bytes later.
  size_t AddChunk(std::string_view id, std::span<const uint8_t> data);
  void Put32(size_t at, uint32_t value);
  void Put64(size_t at, uint64_t value);
  size_t Size() const { return bytes_.size(); }
  const Bytes& bytes() const { return bytes_; }

private:
  Bytes bytes_;
};

void Append16(Bytes& out, uint16_t value);
void Append32(Bytes& out, uint32_t value);
void Append64(Bytes& out, uint64_t value);
void AppendText(Bytes& out, std::string_view text);

Bytes BitmapInfo(std::string_view compression, uint32_t width, uint32_t height);
Bytes WaveFormat(uint16_t formatTag, uint16_t channels, uint32_t sampleRate, uint32_t avgBytesPerSec,
                 uint16_t blockAlign, uint16_t bitsPerSample);

struct TestStream {
  std::string type = "vids";
  std::string handler;
  uint32_t scale = 1;
  uint32_t rate = 25;
  uint32_t sampleSize = 0;
  Bytes format;
  bool omitFormat = false;  // a "strl" the reader has to discard
};

struct TestChunk {
  std::string id;  // "00dc", "01wb" ...
  Bytes data;
  bool key = false;
};

struct TestAvi {
  uint32_t microSecPerFrame = 40000;
  std::vector<TestStream> streams;
  // One list per RIFF form: the first goes into "AVI ", each further one into an "AVIX" form.
  std::vector<std::vector<TestChunk>> segments;
  bool idx1 = true;       // a legacy index after the first movie (only with one segment)
  bool odmlIndex = false;  // a super index in each "strl" and a standard index in each movie
};

Bytes BuildAvi(const TestAvi& avi);

// Data of the given size whose bytes tell the chunk apart from others.
Bytes Payload(size_t size, uint8_t seed);

}  // namespace korvel::test
