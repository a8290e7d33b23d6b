#include "avi/file_async.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include "avi/file_async_9x.h"
#include "avi/file_async_nt.h"
#include "avi/positioned_write.h"

namespace korvel {
namespace {

// Zeros for the synchronous path come from here, a piece at a time.
constexpr uint64_t kZeroPiece = 2048;

bool OnFat(int fd) {
  struct statfs info {};
  return ::fstatfs(fd, &info) == 0 && info.f_type == MSDOS_SUPER_MAGIC;
}

std::string Describe(const std::string& what, int error) { return what + ": " + std::strerror(error); }

}  // namespace

HRESULT TFileAsyncBase::Open(const std::filesystem::path& file, uint64_t blockCount, uint64_t blockSize) {
  Close();
  logicalSize_ = 0;
  cutAtSizeLimit_ = false;
  failed_ = false;
  workerEnded_ = false;
  state_ = kRunning;
  SetError({});
  if (blockCount == 0 || blockSize == 0 || blockSize % kSectorSize != 0 || blockCount > UINT32_MAX ||
      blockSize > UINT32_MAX) {
    SetError("the ring must hold whole sectors");
    return kFileAsyncFailed;
  }
  fd_ = OpenOrdinary(file);
  if (fd_ < 0) {
    SetError(Describe("cannot create " + file.string(), errno));
    return kFileAsyncCannotCreate;
  }
  destinationIsFat_ = OnFat(fd_);
  try {
    if (!ring_.Allocate(blockCount, blockSize)) throw std::bad_alloc();
    ringPath_ = StartWritePath(file);
    if (!ringPath_) ring_.Release();
    if (ringPath_) thread_.Start([this] {
        ThreadBody();
        // Whatever ended the worker, a caller waiting for space must not wait any longer.
        workerEnded_ = true;
        ring_.spaceAvailable.Signal();
      });
  } catch (const std::bad_alloc&) {
    Close();
    SetError("no memory for the write ring");
    return kFileAsyncFailed;
  } catch (const std::system_error& e) {
    Close();
    SetError(e.what());
    return kFileAsyncFailed;
  }
  return S_OK;
}

void TFileAsyncBase::StopWorker(State how) {
  if (!thread_.IsRunning()) return;
  state_ = how;
  ring_.dataAvailable.Signal();
  thread_.Stop();
}

bool TFileAsyncBase::Close() {
  StopWorker(kStopping);
  if (fd_ >= 0) {
    ReleaseWritePath();
    ring_.Release();
    ringPath_ = false;
    if (!failed_)
      if (const int error = SyncData(fd_)) Fail("cannot write the file out", error);
    if (const int error = CloseDescriptor(fd_)) Fail("cannot close the file", error);
    fd_ = -1;
  }
  return !failed_;
}

bool TFileAsyncBase::CheckSize(uint64_t length) {
  const uint64_t limit = std::min(requestedLimit_, destinationIsFat_ ? kFatFileSizeLimit : UINT64_MAX);
  if (length <= limit && logicalSize_ <= limit - length) return true;
  cutAtSizeLimit_ = true;
  SetError(destinationIsFat_ ? "the file reached the 4 GiB limit of the FAT file system"
                             : "the file reached its size limit");
  return false;
}

int64_t TFileAsyncBase::Write(const void* data, uint64_t length) {
  if (fd_ < 0) {
    SetError("the file is not open");
    return -1;
  }
  if (failed_ || length > INT64_MAX || !CheckSize(length)) return -1;
  const bool written = ringPath_ ? AppendToRing(data, length) : WriteSynchronously(logicalSize_, data, length);
  if (!written) return -1;
  logicalSize_ += length;
  return static_cast<int64_t>(length);
}

bool TFileAsyncBase::AppendToRing(const void* data, uint64_t length) {
  const auto* bytes = static_cast<const char*>(data);
  while (length > 0) {
    if (failed_) return false;
    if (workerEnded_) {
      SetError("the writer thread has already ended");
      return false;
    }
    const uint64_t piece = ring_.FreePiece(length);
    if (piece == 0) {
      ring_.spaceAvailable.Wait();
      continue;
    }
    ring_.Append(bytes, piece);
    if (bytes) bytes += piece;
    length -= piece;
  }
  return true;
}

bool TFileAsyncBase::WriteSynchronously(uint64_t position, const void* data, uint64_t length) {
  if (data) return WriteAt(position, data, length);
  static const char zeros[kZeroPiece] = {};
  for (uint64_t done = 0; done < length;) {
    const uint64_t piece = std::min(length - done, kZeroPiece);
    if (!WriteAt(position + done, zeros, piece)) return false;
    done += piece;
  }
  return true;
}

bool TFileAsyncBase::Flush() {
  if (fd_ < 0) {
    SetError("the file is not open");
    return false;
  }
  if (thread_.IsRunning()) {
    // The padding puts the last real byte inside the whole sectors the worker writes at the end;
    // the following Truncate removes it again.
    AppendToRing(nullptr, kSectorSize - 1);
    StopWorker(kFlushing);
  }
  if (failed_) return false;
  if (const int error = SyncData(fd_)) Fail("cannot write the file out", error);
  return !failed_;
}

bool TFileAsyncBase::WriteAt(uint64_t position, const void* data, uint64_t length) {
  if (fd_ < 0) {
    SetError("the file is not open");
    return false;
  }
  if (const int error = WriteAllAt(fd_, data, length, position)) Fail("cannot write the file", error);
  return !failed_;
}

bool TFileAsyncBase::SetSize(uint64_t size) {
  if (fd_ < 0) {
    SetError("the file is not open");
    return false;
  }
  if (const int error = SetFileSize(fd_, size)) Fail("cannot set the file size", error);
  return !failed_;
}

bool TFileAsyncBase::CloseAtSize(uint64_t size) {
  StopWorker(kStopping);
  if (fd_ < 0) return !failed_;
  SetSize(size);
  return Close();
}

uint64_t TFileAsyncBase::GetSize() const {
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0 || info.st_size < 0) return 0;
  return static_cast<uint64_t>(info.st_size);
}

std::string TFileAsyncBase::ErrorText() const {
  std::lock_guard lock(errorMutex_);
  return errorText_;
}

void TFileAsyncBase::SetError(const std::string& text) {
  std::lock_guard lock(errorMutex_);
  errorText_ = text;
}

void TFileAsyncBase::Fail(const std::string& what, int error) {
  std::lock_guard lock(errorMutex_);
  if (failed_) return;
  errorText_ = Describe(what, error);
  failed_ = true;
}

uint64_t TFileAsyncBase::NextWriteSize(uint64_t readPosition, uint64_t unissued) const {
  const uint64_t ready = std::min(unissued, ring_.Size() - readPosition);
  if (ready >= ring_.BlockSize()) return ring_.BlockSize();
  return CurrentState() == kFlushing ? ready / kSectorSize * kSectorSize : 0;
}

void TFileAsyncBase::PreExtend(uint64_t& extendedSize, uint64_t writeEnd) {
  // Ring-sized steps keep the file one ring ahead of the data, so the file system allocates
  // large extents instead of growing the file write by write.
  const uint64_t wanted = writeEnd + ring_.Size();
  if (!preExtend_ || wanted <= extendedSize) return;
  const uint64_t target = std::max(extendedSize + ring_.Size(), wanted);
  int result;
  do {
    result = ::fallocate(fd_, 0, static_cast<off_t>(extendedSize), static_cast<off_t>(target - extendedSize));
  } while (result != 0 && errno == EINTR);
  if (result == 0)
    extendedSize = target;
  else
    preExtend_ = false;
}

int OpenForDirectWrites(const std::filesystem::path& file) {
  return ::open(file.c_str(), O_WRONLY | O_DIRECT | O_CLOEXEC);
}

OpenedFileAsync OpenFileAsync(const std::filesystem::path& file, uint64_t blockCount, uint64_t blockSize,
                              DirectOpener openDirect) {
  OpenedFileAsync opened;
  auto direct = std::make_unique<TFileAsyncNT>(openDirect);
  opened.result = direct->Open(file, blockCount, blockSize);
  if (Failed(opened.result) || direct->WritesUnbuffered()) {
    opened.errorText = direct->ErrorText();
    if (Succeeded(opened.result)) opened.file = std::move(direct);
    return opened;
  }
  direct->Close();
  direct.reset();
  auto buffered = std::make_unique<TFileAsync9x>();
  opened.result = buffered->Open(file, blockCount, blockSize);
  opened.errorText = buffered->ErrorText();
  if (Succeeded(opened.result)) opened.file = std::move(buffered);
  return opened;
}

}  // namespace korvel
