#include "avi/file_async_nt.h"

#include <cerrno>

#include <fcntl.h>
#include <liburing.h>

#include "avi/positioned_write.h"

namespace korvel {

TFileAsyncNT::TFileAsyncNT(DirectOpener openDirect) : openDirect_(openDirect) {}

TFileAsyncNT::~TFileAsyncNT() { Close(); }

// An existing file is not emptied here: the final Truncate cuts it at the logical size.
int TFileAsyncNT::OpenOrdinary(const std::filesystem::path& file) {
  return ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
}

bool TFileAsyncNT::StartWritePath(const std::filesystem::path& file) {
  directFd_ = openDirect_(file);
  if (directFd_ < 0) return false;
  requestCount_ = ring_.Size() / ring_.BlockSize();
  uring_ = std::make_unique<io_uring>();
  // Without io_uring (an old kernel, a sandbox that forbids it) the file is written the slow way.
  if (io_uring_queue_init(static_cast<unsigned>(requestCount_), uring_.get(), 0) < 0) {
    uring_.reset();
    ReleaseWritePath();
    return false;
  }
  requests_ = std::make_unique<TBufferFileAsyncNT[]>(requestCount_);
  return true;
}

void TFileAsyncNT::ReleaseWritePath() {
  if (uring_) io_uring_queue_exit(uring_.get());
  uring_.reset();
  requests_.reset();
  if (directFd_ >= 0)
    if (const int error = CloseDescriptor(directFd_)) Fail("cannot close the file", error);
  directFd_ = -1;
}

void TFileAsyncNT::ThreadBody() {
  uint64_t extendedSize = GetSize();
  uint64_t readPosition = 0;
  uint64_t fileOffset = 0;
  nextRequest_ = oldestRequest_ = busyRequests_ = bytesInFlight_ = 0;
  while (CurrentState() != kStopping) {
    const uint64_t size = NextWriteSize(readPosition, ring_.Pending() - bytesInFlight_);
    if (size == 0 || requests_[nextRequest_].busy) {
      // Nothing to issue now: a finished write frees ring space; a new block or a flush
      // arrives through the data-available event.
      if (busyRequests_ > 0) {
        if (!RetireOldest()) break;
        continue;
      }
      if (CurrentState() == kFlushing) break;
      ring_.dataAvailable.Wait();
      continue;
    }
    if (size == ring_.BlockSize()) PreExtend(extendedSize, fileOffset + size);
    if (!Issue(readPosition, fileOffset, size)) break;
    readPosition = (readPosition + size) % ring_.Size();
    fileOffset += size;
  }
  DrainInFlight();
}

bool TFileAsyncNT::Issue(uint64_t ringPosition, uint64_t fileOffset, uint64_t size) {
  io_uring_sqe* sqe = io_uring_get_sqe(uring_.get());
  if (!sqe) {
    Fail("cannot queue a write", EBUSY);
    return false;
  }
  io_uring_prep_write(sqe, directFd_, ring_.At(ringPosition), static_cast<unsigned>(size), fileOffset);
  io_uring_sqe_set_data64(sqe, nextRequest_);
  int submitted;
  while ((submitted = io_uring_submit(uring_.get())) == -EINTR || submitted == -EAGAIN) {
  }
  if (submitted < 0) {
    Fail("cannot start a write", -submitted);
    return false;
  }
  requests_[nextRequest_] = {ringPosition, fileOffset, size, true, false, 0};
  ++busyRequests_;
  bytesInFlight_ += size;
  nextRequest_ = (nextRequest_ + 1) % requestCount_;
  return true;
}

// Writes may finish in any order; each completion is noted on its request.
bool TFileAsyncNT::TakeCompletion() {
  io_uring_cqe* cqe = nullptr;
  int waited;
  while ((waited = io_uring_wait_cqe(uring_.get(), &cqe)) == -EINTR) {
  }
  if (waited < 0) {
    Fail("cannot wait for a write", -waited);
    return false;
  }
  const uint64_t index = io_uring_cqe_get_data64(cqe);
  if (index < requestCount_) {
    requests_[index].completed = true;
    requests_[index].result = cqe->res;
  }
  io_uring_cqe_seen(uring_.get(), cqe);
  return true;
}

// Ring space is given back in order, so the caller never overwrites a block still in flight.
bool TFileAsyncNT::RetireOldest() {
  TBufferFileAsyncNT& request = requests_[oldestRequest_];
  while (!request.completed)
    if (!TakeCompletion()) return false;
  request.busy = false;
  --busyRequests_;
  if (request.result < 0) {
    Fail("cannot write the file", -request.result);
    return false;
  }
  // A short unbuffered write ends wherever the device stopped, not on a sector: the rest goes
  // through the ordinary descriptor, which takes any alignment.
  const auto written = static_cast<uint64_t>(request.result);
  if (written < request.size)
    if (const int error = WriteAllAt(OrdinaryFd(), ring_.At(request.ringPosition + written),
                                     request.size - written, request.fileOffset + written)) {
      Fail("cannot write the file", error);
      return false;
    }
  bytesInFlight_ -= request.size;
  ring_.Consumed(request.size);
  oldestRequest_ = (oldestRequest_ + 1) % requestCount_;
  return true;
}

// The kernel may still read from the ring for a write it has started, so the ring lives until
// every write has come back. Their results no longer matter: the writer is stopping or failed.
void TFileAsyncNT::DrainInFlight() {
  for (uint64_t i = 0; i < requestCount_; ++i) {
    TBufferFileAsyncNT& request = requests_[i];
    while (request.busy && !request.completed)
      if (!TakeCompletion()) return;
    request.busy = false;
  }
  busyRequests_ = 0;
}

}  // namespace korvel
