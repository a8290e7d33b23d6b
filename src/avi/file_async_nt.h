#pragma once
// The writer for file systems that take unbuffered writes: whole blocks go from the aligned ring
// straight to the disk, several at once through io_uring, while the caller keeps appending.
// Where unbuffered writes are refused, every Write is a synchronous positioned write.
#include <memory>

#include "avi/file_async.h"

struct io_uring;

namespace korvel {

class TFileAsyncNT final : public TFileAsyncBase {
public:
  explicit TFileAsyncNT(DirectOpener openDirect = OpenForDirectWrites);
  ~TFileAsyncNT() override;

  bool WritesUnbuffered() const { return directFd_ >= 0; }

protected:
  int OpenOrdinary(const std::filesystem::path& file) override;
  bool StartWritePath(const std::filesystem::path& file) override;
  void ReleaseWritePath() override;
  void ThreadBody() override;

private:
  // One write in flight, one per block of the ring.
  struct TBufferFileAsyncNT {
    uint64_t ringPosition = 0;
    uint64_t fileOffset = 0;
    uint64_t size = 0;
    bool busy = false;
    bool completed = false;
    int result = 0;
  };

  bool Issue(uint64_t ringPosition, uint64_t fileOffset, uint64_t size);
  bool TakeCompletion();
  bool RetireOldest();
  void DrainInFlight();

  DirectOpener openDirect_;
  int directFd_ = -1;
  std::unique_ptr<io_uring> uring_;
  std::unique_ptr<TBufferFileAsyncNT[]> requests_;
  uint64_t requestCount_ = 0;
  // Worker side only.
  uint64_t nextRequest_ = 0;
  uint64_t oldestRequest_ = 0;
  uint64_t busyRequests_ = 0;
  uint64_t bytesInFlight_ = 0;
};

}  // namespace korvel
