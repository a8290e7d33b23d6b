// The AVI reader over arbitrary bytes: open with the file's index and with a rebuilt one, then
// read every sample of every stream and ask the key-frame questions.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "avi/avi_read_handler.h"

namespace {

// The reader opens files by name; an in-memory file gives it one without touching the disk.
class MemoryFile {
public:
  MemoryFile(const uint8_t* data, size_t size) : fd_(::memfd_create("fuzz_avi", MFD_CLOEXEC)) {
    for (size_t done = 0; fd_ >= 0 && done < size;) {
      const ssize_t n = ::write(fd_, data + done, size - done);
      if (n <= 0) __builtin_trap();
      done += static_cast<size_t>(n);
    }
  }
  ~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }
  bool Valid() const { return fd_ >= 0; }

private:
  int fd_;
};

void ReadEverything(korvel::IAVIReadStream& stream) {
  std::vector<uint8_t> buffer(1 << 16);
  for (int64_t s = 0; s < stream.End();) {
    int64_t bytes = 0;
    int64_t samples = 0;
    const korvel::HRESULT hr =
        stream.Read(s, -1, buffer.data(), static_cast<int64_t>(buffer.size()), &bytes, &samples);
    if (hr == korvel::AVIERR_BUFFERTOOSMALL) {
      buffer.resize(static_cast<size_t>(bytes));
      continue;
    }
    if (hr != korvel::S_OK || samples < 1) break;
    if (bytes < 0 || static_cast<size_t>(bytes) > buffer.size()) __builtin_trap();
    (void)stream.IsKeyFrame(s);
    (void)stream.SamplePosition(s);
    s += samples;
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
  MemoryFile file(data, size);
  if (!file.Valid()) return 0;
  for (const bool force : {false, true}) {
    std::shared_ptr<korvel::IAVIReadHandler> handler;
    if (korvel::CreateAviReadHandler(handler, file.Path(), nullptr, nullptr, force, false) != korvel::S_OK) continue;
    korvel::AviFileInfo info;
    (void)handler->GetFileInfo(info);
    for (int32_t n = 0;; ++n) {
      auto stream = handler->GetStream(0, n);
      if (!stream) break;
      ReadEverything(*stream);
    }
  }
  return 0;
}
