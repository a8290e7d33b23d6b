#pragma once
// The hand-over from a producer's worker thread to the thread that owns the user interface.
// Every status line, progress value and the end of a run cross it, so that handlers never
// run concurrently with one another or with the rest of the interface.
#include <functional>

namespace korvel {

class IMainThread {
public:
  virtual ~IMainThread() = default;

  // Worker side: runs work on the main thread and returns only once it has run. The wait is
  // essential: producers reuse their buffers right after reporting. work must not call back
  // into RunSync.
  virtual void RunSync(std::function<void()> work) = 0;
};

}  // namespace korvel
