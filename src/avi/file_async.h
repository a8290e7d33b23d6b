#pragma once
// Sequential writing of a large file through a ring drained by a worker thread, so that the
// producer's reading and the disk writing overlap. The caller appends at the logical end, then
// flushes, cuts the file at its logical size and patches header fields in place.
//
// A failure on the worker thread is kept: every later Write, Flush and Close fails and
// ErrorText says why; a caller waiting for ring space is woken when the worker ends.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "avi/aligned_ring.h"
#include "avi/file_async_thread.h"
#include "base/hresult.h"

namespace korvel {

inline constexpr HRESULT kFileAsyncCannotCreate = -2001;
inline constexpr HRESULT kFileAsyncFailed = -2002;
// FAT holds files of up to 4 GiB - 1 bytes; the writer's last write is rounded up to a whole
// sector, so the logical size stops one sector short of that.
inline constexpr uint64_t kFatFileSizeLimit = 0xFFFFF000u;

class TFileAsyncBase {
public:
  // Implementations close in their own destructors, while their write path still exists.
  virtual ~TFileAsyncBase() = default;

  virtual void SetPreExtend(bool on) { preExtend_ = on; }
  virtual bool GetPreExtend() const { return preExtend_; }
  virtual bool IsOpen() const { return fd_ >= 0; }
  // 0, kFileAsyncCannotCreate or kFileAsyncFailed. The block size must be a multiple of 4096.
  virtual HRESULT Open(const std::filesystem::path& file, uint64_t blockCount, uint64_t blockSize);
  // Data still in the ring without a Flush is dropped. False when anything failed so far.
  virtual bool Close();
  // Appends at the logical end (zeros for null data): the length, or -1 (see ErrorText).
  virtual int64_t Write(const void* data, uint64_t length);
  // Writes out everything appended and ends the worker thread.
  virtual bool Flush();
  virtual bool WriteAt(uint64_t position, const void* data, uint64_t length);
  virtual bool SetSize(uint64_t size);
  // Cuts the file at its logical size after Flush.
  virtual bool Truncate(uint64_t size) { return SetSize(size); }
  virtual bool CloseAtSize(uint64_t size);
  // 0 when the size cannot be found.
  virtual uint64_t GetSize() const;

  uint64_t LogicalSize() const { return logicalSize_; }
  bool HasFailed() const { return failed_.load(); }
  std::string ErrorText() const;

  // The destination's file system cannot hold a file of 4 GiB.
  bool DestinationIsFat() const { return destinationIsFat_; }
  // An owner may cap the file below what the file system allows (before Open or after it).
  void SetSizeLimit(uint64_t limit) { requestedLimit_ = limit; }
  // A Write was refused because it would have passed the size limit, or the owner stopped
  // early because of it. What was written before stays complete and can be finished.
  bool CutAtSizeLimit() const { return cutAtSizeLimit_; }
  void MarkCutAtSizeLimit() { cutAtSizeLimit_ = true; }

protected:
  // The descriptor every positioned write, size change and the fallback path use.
  virtual int OpenOrdinary(const std::filesystem::path& file) = 0;
  // Prepares the ring path for the allocated ring: true when writes go through the worker
  // thread, false when every Write is a synchronous positioned write. May throw bad_alloc.
  virtual bool StartWritePath(const std::filesystem::path& file) = 0;
  virtual void ReleaseWritePath() = 0;
  virtual void ThreadBody() = 0;

  enum State : int { kRunning = 0, kFlushing = 1, kStopping = 2 };
  State CurrentState() const { return static_cast<State>(state_.load()); }
  int OrdinaryFd() const { return fd_; }

  // The size of the next write from the ring: a whole block, or when flushing the rest in
  // whole sectors; 0 when nothing is to be written now.
  uint64_t NextWriteSize(uint64_t readPosition, uint64_t unissued) const;
  // Grows the file ahead of a write ending at writeEnd; a refusal turns pre-extension off.
  void PreExtend(uint64_t& extendedSize, uint64_t writeEnd);
  // Worker side: keeps the first failure; the caller sees it from now on.
  void Fail(const std::string& what, int error);

  static constexpr uint64_t kSectorSize = 4096;
  AlignedRing ring_;

private:
  bool AppendToRing(const void* data, uint64_t length);
  bool WriteSynchronously(uint64_t position, const void* data, uint64_t length);
  void StopWorker(State how);
  bool CheckSize(uint64_t length);
  void SetError(const std::string& text);

  int fd_ = -1;
  bool ringPath_ = false;
  std::atomic<bool> preExtend_{false};
  std::atomic<int> state_{kRunning};
  std::atomic<bool> workerEnded_{false};
  std::atomic<bool> failed_{false};
  TFileASyncThread thread_;
  uint64_t logicalSize_ = 0;
  uint64_t requestedLimit_ = UINT64_MAX;
  bool destinationIsFat_ = false;
  bool cutAtSizeLimit_ = false;
  mutable std::mutex errorMutex_;
  std::string errorText_;
};

// Opens path for unbuffered writes; -1 with errno when the file system refuses them.
using DirectOpener = int (*)(const std::filesystem::path& file);
int OpenForDirectWrites(const std::filesystem::path& file);

struct OpenedFileAsync {
  std::unique_ptr<TFileAsyncBase> file;  // null when Open failed
  HRESULT result = kFileAsyncFailed;
  std::string errorText;
};

// The unbuffered writer where the file system takes unbuffered writes, else the one with
// blocking buffered writes on the worker thread.
OpenedFileAsync OpenFileAsync(const std::filesystem::path& file, uint64_t blockCount, uint64_t blockSize,
                              DirectOpener openDirect = OpenForDirectWrites);

}  // namespace korvel
