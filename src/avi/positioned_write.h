#pragma once
// Blocking positioned writes that finish what they start: interrupted calls are repeated and
// short writes continued, so the only way out is every byte written or an error.
#include <cstdint>

namespace korvel {

// 0, or the errno of the write that failed (EFBIG, ENOSPC, EIO ...).
int WriteAllAt(int fd, const void* data, uint64_t length, uint64_t position);
// 0, or the errno of the failed call; EINTR is retried where that is safe.
int SyncData(int fd);
int CloseDescriptor(int fd);
int SetFileSize(int fd, uint64_t size);

}  // namespace korvel
