// The AVI reader over arbitrary bytes: open with the file's index and with a rebuilt one, then
// read samples of every stream and ask the key-frame questions.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "avi/avi_read_handler.h"
#include "fuzz/memory_file.h"

namespace {

// Enough samples of a stream to reach every kind of lookup; a stream can declare billions.
constexpr int64_t kSamplesRead = 64;
constexpr int32_t kStreamsRead = 8;

// The first samples one by one, then samples spread over the rest of the stream.
int64_t NextSample(int64_t sample, int64_t samplesRead, int64_t end) {
  const int64_t next = sample + samplesRead;
  if (next < kSamplesRead / 2) return next;
  return std::max(next, sample + end / kSamplesRead);
}

// The buffer holds as many bytes as the file: no sample can be longer, and a fixed-size stream
// fills it with as many whole samples as fit. A stream that declares larger samples asks for up
// to 65536 of them at once, which would only cost the fuzzer time zeroing memory.
void ReadSamples(korvel::IAVIReadStream& stream, std::vector<uint8_t>& buffer) {
  int64_t reads = 0;
  for (int64_t s = 0; s < stream.End() && reads < kSamplesRead; ++reads) {
    int64_t bytes = 0;
    int64_t samples = 0;
    const korvel::HRESULT hr =
        stream.Read(s, -1, buffer.data(), static_cast<int64_t>(buffer.size()), &bytes, &samples);
    if (hr != korvel::S_OK || samples < 1) break;
    if (bytes < 0 || static_cast<size_t>(bytes) > buffer.size()) __builtin_trap();
    (void)stream.IsKeyFrame(s);
    (void)stream.SamplePosition(s);
    s = NextSample(s, samples, stream.End());
  }
  const int64_t end = stream.End();
  (void)stream.NearestKeyFrame(end / 2);
  (void)stream.PrevKeyFrame(end);
  (void)stream.NextKeyFrame(0);
  (void)stream.SampleToTime(end);
  (void)stream.TimeToSample(stream.SampleToTime(end));
  double mean = 0, deviation = 0, drift = 0;
  (void)stream.GetVBRInfo(mean, deviation, drift);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const korvel::fuzz::MemoryFile file(data, size);
  if (!file.Valid()) return 0;
  std::vector<uint8_t> buffer(std::max<size_t>(size, 1));
  for (const bool force : {false, true}) {
    std::shared_ptr<korvel::IAVIReadHandler> handler;
    if (korvel::CreateAviReadHandler(handler, file.Path(), nullptr, nullptr, force, false) != korvel::S_OK) continue;
    korvel::AviFileInfo info;
    (void)handler->GetFileInfo(info);
    for (int32_t n = 0; n < kStreamsRead; ++n) {
      auto stream = handler->GetStream(0, n);
      if (!stream) break;
      ReadSamples(*stream, buffer);
    }
  }
  return 0;
}
