#pragma once
// A production's worker thread is detached: it lets go of its last objects as it ends, after
// the command has returned. libFuzzer counts the mallocs and frees of each input's run and
// takes more mallocs than frees for a leak, re-running the input under a full leak check; a
// target that starts workers waits for them to end so that their frees fall inside the run.
// A worker that never ends is caught by libFuzzer's timeout.
#include <dirent.h>

#include <chrono>
#include <cstddef>
#include <thread>

namespace korvel::fuzz {

// The threads of this process, or 0 when they cannot be counted.
inline size_t ThreadCount() {
  DIR* tasks = ::opendir("/proc/self/task");
  if (!tasks) return 0;
  size_t count = 0;
  while (const dirent* entry = ::readdir(tasks))
    if (entry->d_name[0] != '.') ++count;
  ::closedir(tasks);
  return count;
}

// Waits until the process runs no more threads than it did when constructed.
class ThreadsEndGuard {
public:
  ThreadsEndGuard() : before_(ThreadCount()) {}
  ~ThreadsEndGuard() {
    while (ThreadCount() > before_) std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  ThreadsEndGuard(const ThreadsEndGuard&) = delete;
  ThreadsEndGuard& operator=(const ThreadsEndGuard&) = delete;

private:
  size_t before_;
};

}  // namespace korvel::fuzz
