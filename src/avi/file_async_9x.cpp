#include "avi/file_async_9x.h"

#include <fcntl.h>

#include "avi/positioned_write.h"

namespace korvel {

// The file starts empty here. Its data goes through the page cache; Flush and Close force it
// to the disk, which is where a full disk or a failing device shows on this path.
int TFileAsync9x::OpenOrdinary(const std::filesystem::path& file) {
  return ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

void TFileAsync9x::ThreadBody() {
  uint64_t extendedSize = GetSize();
  uint64_t readPosition = 0;
  uint64_t fileOffset = 0;
  while (CurrentState() != kStopping) {
    const uint64_t size = NextWriteSize(readPosition, ring_.Pending());
    if (size == 0) {
      if (CurrentState() == kFlushing) return;
      ring_.dataAvailable.Wait();
      continue;
    }
    if (size == ring_.BlockSize()) PreExtend(extendedSize, fileOffset + size);
    if (const int error = WriteAllAt(OrdinaryFd(), ring_.At(readPosition), size, fileOffset)) {
      Fail("cannot write the file", error);
      return;
    }
    readPosition = (readPosition + size) % ring_.Size();
    fileOffset += size;
    ring_.Consumed(size);
  }
}

}  // namespace korvel
