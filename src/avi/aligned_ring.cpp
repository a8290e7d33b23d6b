#include "avi/aligned_ring.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <unistd.h>

namespace korvel {

void AlignedRing::FreeAligned::operator()(char* p) const { std::free(p); }

bool AlignedRing::Allocate(uint64_t blockCount, uint64_t blockSize) {
  Release();
  if (blockCount == 0 || blockSize == 0 || blockCount > std::numeric_limits<size_t>::max() / blockSize)
    return false;
  const long page = ::sysconf(_SC_PAGESIZE);
  void* memory = nullptr;
  if (::posix_memalign(&memory, page > 0 ? static_cast<size_t>(page) : 4096, blockCount * blockSize) != 0)
    return false;
  memory_.reset(static_cast<char*>(memory));
  blockSize_ = blockSize;
  size_ = blockCount * blockSize;
  return true;
}

void AlignedRing::Release() {
  memory_.reset();
  blockSize_ = size_ = writePosition_ = 0;
  pending_ = 0;
}

uint64_t AlignedRing::FreePiece(uint64_t length) const {
  return std::min({length, size_ - pending_.load(), size_ - writePosition_});
}

void AlignedRing::Append(const void* data, uint64_t piece) {
  if (data)
    std::memcpy(At(writePosition_), data, piece);
  else
    std::memset(At(writePosition_), 0, piece);
  const bool reachesBlockEnd = writePosition_ % blockSize_ + piece >= blockSize_;
  writePosition_ += piece;
  if (writePosition_ == size_) writePosition_ = 0;
  pending_ += piece;
  if (reachesBlockEnd) dataAvailable.Signal();
}

void AlignedRing::Consumed(uint64_t bytes) {
  pending_ -= bytes;
  spaceAvailable.Signal();
}

}  // namespace korvel
