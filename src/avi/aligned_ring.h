#pragma once
// The ring the caller appends to and the writer thread drains in whole blocks. Its memory is
// page-aligned so that blocks can go to the disk without the page cache.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "avi/signal_event.h"

namespace korvel {

class AlignedRing {
public:
  // False when the memory cannot be had.
  bool Allocate(uint64_t blockCount, uint64_t blockSize);
  void Release();

  uint64_t BlockSize() const { return blockSize_; }
  uint64_t Size() const { return size_; }
  char* At(uint64_t position) { return memory_.get() + position; }

  // Caller side: how much of the length fits at the write position now (0 when full).
  uint64_t FreePiece(uint64_t length) const;
  // Copies a piece (zeros for null data) and tells the writer when a block boundary was reached.
  void Append(const void* data, uint64_t piece);

  // Writer side: bytes appended and not yet taken back with Consumed.
  uint64_t Pending() const { return pending_.load(); }
  void Consumed(uint64_t bytes);

  TSignalEvent spaceAvailable;
  TSignalEvent dataAvailable;

private:
  struct FreeAligned {
    void operator()(char* p) const;
  };
  std::unique_ptr<char, FreeAligned> memory_;
  uint64_t blockSize_ = 0;
  uint64_t size_ = 0;
  uint64_t writePosition_ = 0;
  // Both threads change it; everything else belongs to one side.
  std::atomic<uint64_t> pending_{0};
};

}  // namespace korvel
