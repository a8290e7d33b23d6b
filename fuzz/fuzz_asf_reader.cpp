// The ASF sample reader over arbitrary bytes: open, walk the profile and the header
// information, read every sample of the whole file, then read again from a range inside it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_sync_reader.h"

namespace {

using namespace korvel::asf;

void WalkHeader(AsfSyncReader& reader) {
  const AsfProfile* profile = reader.Profile();
  AsfStreamConfig config;
  for (uint32_t i = 0; profile && i < profile->GetStreamCount(); ++i) {
    if (profile->GetStream(i, config) != korvel::S_OK) __builtin_trap();
    uint32_t size = 0;
    (void)config.GetMediaType(nullptr, &size);
    std::vector<uint8_t> buffer(size);
    if (config.GetMediaType(buffer.data(), &size) != korvel::S_OK) __builtin_trap();
    (void)config.GetPropertyByName("_RMAX", nullptr, nullptr, &size);
  }
  AsfHeaderInfo* info = reader.HeaderInfo();
  for (uint16_t stream = 0; info && stream < 128; ++stream) {
    uint16_t count = 0;
    (void)info->GetAttributeCount(stream, &count);
    for (uint16_t i = 0; i < count; ++i) {
      std::string name;
      uint32_t length = 0;
      if (info->GetAttributeByIndex(stream, i, &name, nullptr, nullptr, &length) != korvel::S_OK) __builtin_trap();
    }
  }
}

// Reads until the end; a reader that never ends is a hang.
void ReadToEnd(AsfSyncReader& reader, uint64_t* lastTime) {
  for (int calls = 0; calls < 1000000; ++calls) {
    AsfSample sample;
    const korvel::HRESULT hr = reader.GetNextSample(sample);
    if (hr == NS_E_NO_MORE_SAMPLES) return;
    if (hr == korvel::S_OK) {
      if (sample.time < *lastTime) __builtin_trap();
      *lastTime = sample.time;
    } else if (!IsDamagedDataResult(hr)) {
      __builtin_trap();
    }
  }
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto reader = CreateSyncReader();
  if (reader->OpenStream(MakeMemoryByteStream(std::vector<uint8_t>(data, data + size))) != korvel::S_OK) return 0;
  WalkHeader(*reader);
  uint64_t last = 0;
  ReadToEnd(*reader, &last);
  if (last > 0 && reader->SetRange(last / 2, last / 4) == korvel::S_OK) {
    uint64_t again = 0;
    ReadToEnd(*reader, &again);
  }
  return 0;
}
