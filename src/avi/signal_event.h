#pragma once
// An auto-reset event: a Signal with nobody waiting is kept until the next Wait takes it, so a
// wake-up sent between a waiter's last check and its Wait is never lost.
#include <condition_variable>
#include <mutex>

namespace korvel {

class TSignalEvent {
public:
  void Signal() {
    {
      std::lock_guard lock(mutex_);
      signalled_ = true;
    }
    changed_.notify_one();
  }

  void Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return signalled_; });
    signalled_ = false;
  }

private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

}  // namespace korvel
